#include "ui/screens/location_screen.h"

#include "settings/app_state.h"
#include "ui/model/text_formats.h"
#include "ui/widgets/busy_indicator.h"
#include "ui/widgets/location_banner.h"
#include "ui/widgets/location_map.h"
#include "ui/widgets/symbol_provider.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QTimer>

namespace tintwell::ui {

LocationScreen::LocationScreen(settings::AppState& state, std::function<Instant()> now,
                               std::optional<Command> locationSettings, QWidget* parent)
    : SecondaryScreen("Location", parent, Content::Scrolling), state_(state), now_(std::move(now)) {
    setObjectName("locationScreen");

    banners_ = new LocationBanners(std::move(locationSettings), this);
    connect(banners_, &LocationBanners::retryRequested, this, &LocationScreen::useCurrentLocationRequested);
    connect(banners_, &LocationBanners::manualRequested, this, &LocationScreen::enterManually);
    content()->addWidget(banners_);

    map_ = new LocationMap(this);
    map_->setFixedHeight(150);
    connect(map_, &LocationMap::latitudeEdited, &state_, &settings::AppState::setLatitude);
    connect(map_, &LocationMap::longitudeEdited, &state_, &settings::AppState::setLongitude);
    content()->addWidget(map_);

    auto_ = new QCheckBox("Auto-detect location", this);
    auto_->setObjectName("autoLocation");
    connect(auto_, &QCheckBox::toggled, &state_, &settings::AppState::setUseAutoLocation);
    content()->addWidget(auto_);

    autoRow_ = new QWidget(this);
    auto* autoLayout = new QHBoxLayout(autoRow_);
    autoLayout->setContentsMargins(0, 0, 0, 0);
    busy_ = new BusyIndicator(14, autoRow_);
    detect_ = new QPushButton("Detect now", autoRow_);
    detect_->setObjectName("detectNow");
    connect(detect_, &QPushButton::clicked, this, &LocationScreen::useCurrentLocationRequested);
    fixCaption_ = captionLabel({}, autoRow_);
    fixCaption_->setObjectName("lastFixCaption");
    autoLayout->addWidget(detect_);
    autoLayout->addWidget(busy_);
    autoLayout->addWidget(fixCaption_, 1);
    content()->addWidget(autoRow_);

    auto* form = new QFormLayout;
    auto makeField = [this](const char* name, double limit) {
        auto* field = new QDoubleSpinBox(this);
        field->setObjectName(name);
        field->setRange(-limit, limit);
        field->setDecimals(4);
        field->setSingleStep(0.1);
        field->setSuffix("°");
        field->setKeyboardTracking(false);
        return field;
    };
    latitude_ = makeField("latitudeField", 90);
    longitude_ = makeField("longitudeField", 180);
    connect(latitude_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (!state_.useAutoLocation() && v != state_.latitude())
            state_.setLatitude(v);
    });
    connect(longitude_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (!state_.useAutoLocation() && v != state_.longitude())
            state_.setLongitude(v);
    });
    form->addRow("Latitude", latitude_);
    form->addRow("Longitude", longitude_);
    content()->addLayout(form);
    content()->addWidget(captionLabel("Click / drag the map above, or type exact coordinates here.", this));

    auto* footnote = new QWidget(this);
    auto* footnoteLayout = new QHBoxLayout(footnote);
    footnoteLayout->setContentsMargins(0, 0, 0, 0);
    auto* shield = new QLabel(footnote);
    shield->setPixmap(SymbolProvider::icon("lock.shield.fill").pixmap(14, 14));
    shield->setAlignment(Qt::AlignTop);
    footnoteLayout->addWidget(shield);
    auto* privacy = captionLabel("Your location stays on this computer. The map renders offline and Tintwell "
                                 "makes no network requests with your coordinates.",
                                 footnote);
    privacy->setObjectName("privacyFootnote");
    footnoteLayout->addWidget(privacy, 1);
    content()->addStretch(1);
    content()->addWidget(footnote);

    connect(&state_, &settings::AppState::latitudeChanged, this, &LocationScreen::refresh);
    connect(&state_, &settings::AppState::longitudeChanged, this, &LocationScreen::refresh);
    connect(&state_, &settings::AppState::useAutoLocationChanged, this, &LocationScreen::refresh);
    // The "Updated …" caption ages while the screen is shown, and costs nothing otherwise.
    ageing_ = new QTimer(this);
    ageing_->setInterval(1000);
    connect(ageing_, &QTimer::timeout, this, &LocationScreen::refresh);
    refresh();
}

void LocationScreen::setServiceState(const LocationServiceState& service) {
    service_ = service;
    refresh();
}

void LocationScreen::showEvent(QShowEvent* event) {
    refresh();
    ageing_->start();
    SecondaryScreen::showEvent(event);
}

void LocationScreen::hideEvent(QHideEvent* event) {
    ageing_->stop();
    SecondaryScreen::hideEvent(event);
}

void LocationScreen::enterManually() {
    state_.setUseAutoLocation(false);
    state_.save();
}

void LocationScreen::refresh() {
    const bool automatic = state_.useAutoLocation();
    map_->setCoordinates(state_.latitude(), state_.longitude());
    map_->setInteractive(!automatic);
    {
        const QSignalBlocker block(auto_);
        auto_->setChecked(automatic);
    }
    for (auto [field, value] :
         {std::pair{latitude_, state_.latitude()}, std::pair{longitude_, state_.longitude()}}) {
        const QSignalBlocker block(field);
        field->setValue(value);
        field->setReadOnly(automatic);
        field->setButtonSymbols(automatic ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    }
    autoRow_->setVisible(automatic);
    busy_->setVisible(service_.isFetching);
    // Pressed after a refusal it asks again: the user may have allowed it since.
    detect_->setEnabled(!service_.isFetching);
    QString caption = lastFixCaption(service_.lastFixAt, now_()).value_or(QString());
    if (service_.lastFixAt && service_.lastFixApproximate)
        caption += caption.isEmpty() ? QStringLiteral("approximate (from time zone)")
                                     : QStringLiteral(" · approximate (from time zone)");
    fixCaption_->setText(caption);

    using Showing = LocationBanners::Showing;
    if (automatic && service_.isDenied)
        banners_->showFor(Showing::Denied);
    else if (automatic && service_.lastError != LocationServiceState::Error::None && !service_.isFetching)
        banners_->showFor(service_.lastError == LocationServiceState::Error::TimedOut ? Showing::TimedOut
                                                                                      : Showing::Failed);
    else
        banners_->showFor(Showing::None);
}

} // namespace tintwell::ui
