#include "ui/widgets/location_banner.h"

#include "ui/widgets/symbol_provider.h"
#include "ui/widgets/text_labels.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tintwell::ui {

LocationBanner::LocationBanner(const QString& symbol, const QString& title, QWidget* parent)
    : QFrame(parent), text_(new QLabel(this)), first_(new QPushButton(this)), second_(new QPushButton(this)) {
    const QColor orange(0xf0, 0x8c, 0x00);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    auto* icon = new QLabel(this);
    icon->setPixmap(SymbolProvider::paintedIcon(symbol, orange).pixmap(QSize(18, 18)));
    icon->setAlignment(Qt::AlignTop);
    outer->addWidget(icon);
    auto* column = new QVBoxLayout;
    column->addWidget(headingLabel(title, this));
    text_->setWordWrap(true);
    text_->hide();
    column->addWidget(text_);
    auto* buttons = new WrappingRow;
    buttons->setSpacing(6);
    buttons->addWidget(first_);
    buttons->addWidget(second_);
    column->addLayout(buttons);
    outer->addLayout(column, 1);
    setAccessibleName(title);
}

// Painted rather than styled: a style sheet would fix the buttons' palette at polish time, so they
// would not follow a later switch between light and dark themes.
void LocationBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(255, 149, 0, 115));
    painter.setBrush(QColor(255, 149, 0, 36));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

void LocationBanner::setText(const QString& text) {
    text_->setText(text);
    text_->setVisible(!text.isEmpty());
}

LocationBanners::LocationBanners(std::optional<Command> locationSettings, QWidget* parent)
    : QWidget(parent), denied_(new LocationBanner(QStringLiteral("location.slash.fill"),
                                                  QStringLiteral("Location off"), this)),
      failed_(new LocationBanner(QStringLiteral("exclamationmark.triangle.fill"),
                                 QStringLiteral("Couldn’t detect your location"), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    denied_->setObjectName(QStringLiteral("deniedBanner"));
    denied_->firstButton()->setText(QStringLiteral("Open Settings…"));
    denied_->firstButton()->setVisible(locationSettings.has_value());
    if (locationSettings)
        connect(denied_->firstButton(), &QPushButton::clicked, this,
                [command = *locationSettings] { DesktopSettings::open(command); });
    denied_->secondButton()->setText(QStringLiteral("Manual…"));
    connect(denied_->secondButton(), &QPushButton::clicked, this, &LocationBanners::manualRequested);
    failed_->setObjectName(QStringLiteral("errorBanner"));
    failed_->firstButton()->setText(QStringLiteral("Retry"));
    connect(failed_->firstButton(), &QPushButton::clicked, this, &LocationBanners::retryRequested);
    failed_->secondButton()->setText(QStringLiteral("Enter manually"));
    connect(failed_->secondButton(), &QPushButton::clicked, this, &LocationBanners::manualRequested);
    layout->addWidget(denied_);
    layout->addWidget(failed_);
    showFor(Showing::None);
}

void LocationBanners::showFor(Showing which) {
    denied_->setVisible(which == Showing::Denied);
    failed_->setVisible(which == Showing::Failed || which == Showing::TimedOut);
    failed_->setText(
        which == Showing::TimedOut
            ? QStringLiteral("GeoClue uses Wi-Fi for positioning. Make sure Wi-Fi is on, or enter "
                             "coordinates manually.")
            : QStringLiteral("Location services returned an error. Try again, or enter "
                             "coordinates manually."));
    setVisible(which != Showing::None);
}

} // namespace tintwell::ui
