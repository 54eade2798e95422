#include "ui/widgets/horizon_ribbon.h"

#include "ui/widgets/painted_symbols.h"
#include "ui/widgets/text_labels.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tintwell::ui {
namespace {

constexpr int rowGap = 4;
constexpr double dotRadius = 5;
constexpr double dotPen = 1.5;
/// The dot's centre stays this far from the ends, so that it shows whole at either end.
constexpr double dotInset = dotRadius + dotPen / 2;

QColor colorOf(const core::ColorTemperature::Multipliers& m) {
    return QColor::fromRgbF(static_cast<float>(m.r), static_cast<float>(m.g), static_cast<float>(m.b));
}

} // namespace

HorizonRibbon::HorizonRibbon(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("horizonRibbon"));
    setToolTip(wrappingToolTip(QStringLiteral(
        "Sky-position view. The horizontal axis is the sun's altitude: left = below the horizon (night), "
        "right = above the horizon (day). The vertical line marks the horizon, and the dot is the sun's "
        "current altitude.")));
    setAccessibleName(QStringLiteral("Horizon ribbon"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    dotAnimation_.setDuration(dotAnimationMs);
    dotAnimation_.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&dotAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        shownFraction_ = v.toDouble();
        update();
    });
    shownFraction_ = model_.dotFraction();
}

void HorizonRibbon::setModel(const HorizonRibbonModel& model) {
    if (model == model_)
        return;
    const double target = model.dotFraction();
    const bool moved = target != model_.dotFraction();
    model_ = model;
    setAccessibleDescription(model_.nowSummary());
    if (moved) {
        dotAnimation_.stop();
        if (isVisible()) {
            dotAnimation_.setStartValue(shownFraction_);
            dotAnimation_.setEndValue(target);
            dotAnimation_.start();
        } else {
            shownFraction_ = target;
        }
    }
    update();
}

int HorizonRibbon::rowHeight() const {
    return fontMetrics().height();
}

QRect HorizonRibbon::ribbonRect() const {
    return QRect(0, rowHeight() + rowGap, width(), ribbonHeight);
}

QPointF HorizonRibbon::dotCenter() const {
    const QRect r = ribbonRect();
    return {r.left() + dotInset + (r.width() - 2 * dotInset) * shownFraction_, r.top() + r.height() / 2.0};
}

QSize HorizonRibbon::sizeHint() const {
    return {280, 2 * rowHeight() + ribbonHeight + 2 * rowGap};
}

QSize HorizonRibbon::minimumSizeHint() const {
    return {160, sizeHint().height()};
}

void HorizonRibbon::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    const int row = rowHeight();

    p.setPen(pal.color(QPalette::PlaceholderText));
    const QRect labels(0, 0, width(), row);
    p.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Night"));
    p.drawText(labels, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Horizon"));
    p.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Day"));

    const QRectF strip = QRectF(ribbonRect()).adjusted(0.25, 0.25, -0.25, -0.25);
    QLinearGradient gradient(strip.topLeft(), strip.topRight());
    for (const auto& stop : model_.gradientStops())
        gradient.setColorAt(stop.location, colorOf(stop.color));
    QPainterPath shape;
    shape.addRoundedRect(strip, 4, 4);
    p.fillPath(shape, gradient);
    p.setPen(QPen(withAlpha(pal.color(QPalette::WindowText), 0.12), 0.5));
    p.drawPath(shape);

    p.fillRect(QRectF(strip.center().x() - 0.5, strip.top(), 1, strip.height()), withAlpha(Qt::white, 0.55));

    const QPointF dot = dotCenter();
    p.setOpacity(model_.dotOpacity());
    p.setBrush(withAlpha(Qt::black, 0.65));
    p.setPen(QPen(Qt::white, dotPen));
    p.drawEllipse(dot, dotRadius, dotRadius);
    p.setOpacity(1);

    const QRect captions(0, ribbonRect().bottom() + 1 + rowGap, width(), row);
    p.setPen(pal.color(QPalette::PlaceholderText));
    p.drawText(captions, Qt::AlignLeft | Qt::AlignVCenter, model_.nightCaption());
    p.drawText(captions, Qt::AlignRight | Qt::AlignVCenter, model_.dayCaption());
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(captions, Qt::AlignHCenter | Qt::AlignVCenter, model_.nowSummary());
}

} // namespace tintwell::ui
