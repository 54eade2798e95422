#pragma once

#include "core/value_records.h"
#include "platform/display_services.h"
#include "platform/workspace_services.h"
#include "ui/model/screen_texts.h"
#include "ui/screens/secondary_screen.h"
#include "watchers/app_exception_editing.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QSlider;
class QStackedWidget;
class QToolButton;

namespace tintwell::settings {
class AppState;
}
namespace tintwell::watchers {
class AppExceptionsManager;
}

namespace tintwell::ui {

/// One exception: on/off switch, name, "active" badge, application id, and the action: restore
/// native colour, or pin a Kelvin with a slider.
class AppExceptionRow : public QWidget {
    Q_OBJECT
public:
    /// `kelvin`: the value "Force K" starts from when the rule does not force one now.
    AppExceptionRow(watchers::AppExceptionEditing::RuleBinding rule, double kelvin = 6500,
                    QWidget* parent = nullptr);

    /// Shows the rule as stored now and whether it is the one in force.
    void update(const core::AppExceptionRule& rule, bool isActive);
    double kelvin() const { return kelvin_; }
    QCheckBox* enabledSwitch() const { return enabled_; }
    void chooseAction(const QString& tag);

Q_SIGNALS:
    void removeRequested();
    /// The Kelvin to force changed (also while the action is "Disable", for a later "Force K").
    void kelvinChanged(double kelvin);

private:
    void writeAction();
    void showAction();

    watchers::AppExceptionEditing::RuleBinding rule_;
    QString actionTag_ = "force";
    double kelvin_ = 6500;
    bool seen_ = false;
    QCheckBox* enabled_;
    ElidedLabel* name_;
    QLabel* activeBadge_;
    ElidedLabel* bundleId_;
    QButtonGroup* actions_;
    QSlider* slider_;
    QLabel* kelvinText_;
    QLabel* caption_;
};

/// The application-exception editor: a live diagnosis of the rule in force, and the rule list.
class AppExceptionsScreen : public SecondaryScreen {
    Q_OBJECT
public:
    /// `exceptions`, `workspace` and `displays` may be null: the diagnosis then shows what it can.
    AppExceptionsScreen(settings::AppState& state, watchers::AppExceptionsManager* exceptions,
                        platform::WorkspaceServices* workspace, platform::DisplayServices* displays,
                        QWidget* parent = nullptr);

    /// Asks which desktop entry to add; replaceable so tests need no file dialog.
    using DesktopFileChooser = std::function<std::optional<std::filesystem::path>()>;
    void setDesktopFileChooser(DesktopFileChooser chooser) { chooseDesktopFile_ = std::move(chooser); }

    /// Where the rule in force acts now.
    RuleScope ruleScope() const;
    /// Re-reads the diagnosis.
    void refreshDiagnosis();
    const std::vector<AppExceptionRow*>& rows() const { return rows_; }
    /// The "Pick a running app" page and its parts.
    void showPicker();
    void browseForApp();
    QListWidget* pickerList() const { return pickerList_; }
    QLineEdit* pickerSearch() const { return search_; }
    bool pickerShown() const;
    ElidedLabel* diagnosisLine(int index) const { return diagnosis_[index]; }

protected:
    bool closeInnerPage() override;
    void showEvent(QShowEvent* event) override;

private:
    void rebuildRows();
    void refreshPicker();
    QWidget* pickerRow(const platform::RunningApplication& app, bool added);
    void pick(const std::optional<platform::RunningApplication>& app);

    settings::AppState& state_;
    QPointer<watchers::AppExceptionsManager> exceptions_;
    platform::WorkspaceServices* workspace_;
    platform::DisplayServices* displays_;
    watchers::AppExceptionEditing editing_;
    DesktopFileChooser chooseDesktopFile_;
    QStackedWidget* pages_;
    ElidedLabel* diagnosis_[4];
    QLabel* activeMark_;
    QWidget* emptyState_;
    QVBoxLayout* ruleList_;
    std::vector<AppExceptionRow*> rows_;
    bool rowsStale_ = true; ///< the rules changed while the screen was hidden
    /// The last Kelvin forced for each application, so that Disable and back keeps it even across a
    /// rebuild of the rows.
    std::map<std::string, double> lastKelvin_;
    std::vector<platform::RunningApplication> pickable_;
    QLineEdit* search_;
    QListWidget* pickerList_;
};

} // namespace tintwell::ui
