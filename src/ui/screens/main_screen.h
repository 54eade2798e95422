#pragma once

#include "settings/display_settings_editor.h"
#include "ui/screens/view_context.h"
#include "ui/widgets/coalesced_call.h"
#include "ui/widgets/text_labels.h"

#include <map>
#include <optional>

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace tintwell::ui {

class DisplayArrangementCanvas;

class BusyIndicator;
class HorizonRibbon;
class LocationBanners;
class SliderRow;

/// The popup's main screen, top to bottom: header with the profile and gear menus, location
/// banners, status, pause and manual toggles, display scope, the sliders with the horizon ribbon,
/// and the location summary. Follows the store on the next pass of the event loop after any change.
class MainScreen : public QWidget {
    Q_OBJECT
public:
    explicit MainScreen(ViewContext context, QWidget* parent = nullptr);

    /// Brings every row up to date with the store, the scope, the exception and the location.
    void refresh();
    /// Minutes the sun needs to cross the twilight band here; recomputed when shown and when the
    /// width or the coordinates change.
    std::optional<double> twilightMinutesEstimate() const { return twilightMinutes_; }
    void recomputeTwilightEstimate();

    SliderRow* row(settings::ProfileField field) const { return rows_.at(field); }
    QMenu* profileMenu() const { return profileMenu_; }
    QMenu* gearMenu() const { return gearMenu_; }
    QMenu* untilMenu() const { return untilMenu_; }
    ElidedToolButton* profileButton() const { return profileButton_; }
    QComboBox* scopePicker() const { return scopePicker_; }
    /// Fill the menus as they will be shown (they are rebuilt each time they open).
    void rebuildProfileMenu();
    void rebuildUntilMenu();

Q_SIGNALS:
    void screenRequested(tintwell::ui::Screen screen);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildHeader();
    void buildBanners();
    void buildStatusAndToggles();
    void buildScope();
    void buildSliders();
    void buildLocationRow();
    void buildGearMenu();
    void refreshScope();
    void refreshLocation();
    void writeScoped(settings::ProfileField field, double value);
    void setUntil(std::optional<Instant> until);

    ViewContext ctx_;
    std::optional<double> twilightMinutes_;
    struct CurveInputs {
        double width, latitude, longitude;
        bool operator==(const CurveInputs&) const = default;
    };
    std::optional<CurveInputs> estimatedFor_;
    CoalescedCall refreshSoon_{[this] { refresh(); }};

    ElidedToolButton* profileButton_ = nullptr;
    QMenu* profileMenu_ = nullptr;
    QMenu* gearMenu_ = nullptr;
    QAction* consentAction_ = nullptr; ///< null in a build without an update feed
    QAction* startAtLoginAction_ = nullptr;
    std::map<QString, QAction*> channelActions_;
    LocationBanners* banners_ = nullptr;
    QLabel* desktopConflict_ = nullptr;
    QLabel* capabilityReason_ = nullptr;
    QLabel* statusText_ = nullptr;
    QWidget* overrideRow_ = nullptr;
    ElidedLabel* overrideText_ = nullptr;
    QCheckBox* pause_ = nullptr;
    QCheckBox* manual_ = nullptr;
    QWidget* scopeBox_ = nullptr;
    QComboBox* scopePicker_ = nullptr;
    QString scopeSignature_;
    QToolButton* arrangementButton_ = nullptr;
    QToolButton* displaysButton_ = nullptr;
    DisplayArrangementCanvas* arrangement_ = nullptr;
    QLabel* scopeIcon_ = nullptr;
    QLabel* scopeStatus_ = nullptr;
    QPushButton* useGlobal_ = nullptr;
    QWidget* manualBox_ = nullptr;
    QToolButton* untilButton_ = nullptr;
    QMenu* untilMenu_ = nullptr;
    QLabel* untilCaption_ = nullptr;
    std::map<settings::ProfileField, SliderRow*> rows_;
    HorizonRibbon* ribbon_ = nullptr;
    QLabel* twilightSubtitle_ = nullptr;
    QLabel* locationIcon_ = nullptr;
    QLabel* locationCaption_ = nullptr;
    BusyIndicator* busy_ = nullptr;
};

} // namespace tintwell::ui
