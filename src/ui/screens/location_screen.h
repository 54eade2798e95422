#pragma once

#include "core/instant.h"
#include "ui/model/desktop_settings.h"
#include "ui/model/location_status.h"
#include "ui/screens/secondary_screen.h"

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;
class QTimer;

namespace tintwell::settings {
class AppState;
}

namespace tintwell::ui {

class LocationBanners;
class LocationMap;

/// The location screen: map, automatic detection and its state, the coordinate fields, and what
/// happens to the location.
class LocationScreen : public SecondaryScreen {
    Q_OBJECT
public:
    /// The denied banner's "Open Settings…" opens `locationSettings`.
    LocationScreen(settings::AppState& state, std::function<Instant()> now,
                   std::optional<Command> locationSettings = std::nullopt, QWidget* parent = nullptr);

    void setServiceState(const LocationServiceState& service);

    LocationMap* map() const { return map_; }
    QCheckBox* autoToggle() const { return auto_; }
    QDoubleSpinBox* latitudeField() const { return latitude_; }
    QDoubleSpinBox* longitudeField() const { return longitude_; }
    QLabel* fixCaption() const { return fixCaption_; }
    LocationBanners* banners() const { return banners_; }

Q_SIGNALS:
    /// "Detect now" or "Retry": ask the location service for a fix.
    void useCurrentLocationRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();
    void enterManually();

    settings::AppState& state_;
    std::function<Instant()> now_;
    LocationServiceState service_;
    LocationBanners* banners_;
    LocationMap* map_;
    QCheckBox* auto_;
    QWidget* autoRow_;
    QWidget* busy_;
    QPushButton* detect_;
    QLabel* fixCaption_;
    QDoubleSpinBox* latitude_;
    QDoubleSpinBox* longitude_;
    QTimer* ageing_;
};

} // namespace tintwell::ui
