#include "ui/widgets/symbol_provider.h"

#include "ui/widgets/painted_symbols.h"

#include <algorithm>
#include <map>

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace tintwell::ui {
namespace {

/// Paints a symbol at the size asked for; without a tint it takes the application palette's text
/// colour at paint time, so it follows a light or dark palette.
class PaintedSymbolEngine final : public QIconEngine {
public:
    PaintedSymbolEngine(QString name, std::optional<QColor> tint, bool tray)
        : name_(std::move(name)), tint_(tint), tray_(tray) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const double side = std::min(rect.width(), rect.height());
        const QRectF box(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side,
                         side);
        paintSymbol(*painter, name_, box, colors(mode));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    // `size` comes in device pixels already.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap pm = pixmap(size, mode, state);
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new PaintedSymbolEngine(name_, tint_, tray_); }
    QString key() const override { return QStringLiteral("tintwell.painted"); }

private:
    SymbolColors colors(QIcon::Mode mode) const {
        SymbolColors c;
        if (tray_) {
            c.outline = QColor(0x3e, 0x27, 0x23);
            if (name_ == QLatin1String("moon.stars")) {
                c.ink = QColor(0xff, 0xe0, 0x82);
                c.accent = QColor(0xff, 0xf8, 0xe1);
            } else {
                c.ink = QColor(0xff, 0xb3, 0x00);
                c.accent = QColor(0xe6, 0x51, 0x00);
            }
            return c;
        }
        const QPalette palette = QGuiApplication::palette();
        c.ink =
            tint_ ? *tint_
                  : palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active,
                                  mode == QIcon::Selected ? QPalette::HighlightedText : QPalette::WindowText);
        if (mode == QIcon::Disabled && tint_)
            c.ink.setAlphaF(0.4f);
        if (name_ == QLatin1String("exclamationmark.triangle.fill") ||
            name_ == QLatin1String("sun.max.trianglebadge.exclamationmark"))
            c.accent = tint_ ? *tint_ : QColor(0xe6, 0x51, 0x00);
        if (name_ == QLatin1String("sun.max.fill") && !tint_)
            c.ink = QColor(0xf5, 0x9e, 0x0b);
        if (name_ == QLatin1String("app.badge.checkmark"))
            c.accent = QColor(0x2e, 0x9d, 0x4a);
        return c;
    }

    QString name_;
    std::optional<QColor> tint_;
    bool tray_;
};

const std::map<QString, QString>& themeNames() {
    static const std::map<QString, QString> names{
        {"sun.max", "weather-clear"},
        {"sun.max.fill", "weather-clear"},
        {"moon.stars", "weather-clear-night"},
        {"sun.max.trianglebadge.exclamationmark", "weather-severe-alert"},
        {"exclamationmark.triangle", "dialog-warning"},
        {"exclamationmark.triangle.fill", "dialog-warning"},
        {"gearshape", "preferences-system"},
        {"plus.circle", "list-add"},
        {"checkmark", "object-select"},
        {"chevron.left", "go-previous"},
        {"arrow.up", "go-up"},
        {"arrow.down", "go-down"},
        {"trash", "edit-delete"},
        {"app", "application-x-executable"},
        {"questionmark.circle", "help-contents"},
        {"info.circle", "help-about"},
        {"globe", "applications-internet"},
        {"keyboard", "input-keyboard"},
        {"arrow.down.circle", "system-software-update"},
        {"location.fill", "find-location"},
        {"rectangle.3.group", "video-display"},
        {"arrow.up.forward.app", "preferences-desktop-display"},
    };
    return names;
}

} // namespace

QIcon SymbolProvider::icon(const QString& symbolName, std::optional<QColor> tint) {
    // Tinted symbols carry meaning by colour (green or orange location states): never themed.
    const QString theme = tint ? QString() : themeNameFor(symbolName);
    if (!theme.isEmpty() && !QIcon::themeName().isEmpty() && QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    return paintedIcon(symbolName, tint);
}

QIcon SymbolProvider::paintedIcon(const QString& symbolName, std::optional<QColor> tint) {
    return QIcon(new PaintedSymbolEngine(symbolName, tint, false));
}

QIcon SymbolProvider::trayIcon(const QString& symbolName) {
    return QIcon(new PaintedSymbolEngine(symbolName, std::nullopt, true));
}

QString SymbolProvider::themeNameFor(const QString& symbolName) {
    const auto& names = themeNames();
    const auto it = names.find(symbolName);
    return it == names.end() ? QString() : it->second;
}

bool SymbolProvider::hasPaintedSymbol(const QString& symbolName) {
    QPixmap pm(4, 4);
    QPainter p(&pm);
    return paintSymbol(p, symbolName, QRectF(0, 0, 4, 4), {Qt::black, {}, {}});
}

} // namespace tintwell::ui
