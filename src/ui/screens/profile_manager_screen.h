#pragma once

#include "core/value_records.h"
#include "ui/screens/secondary_screen.h"

#include <vector>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace tintwell::settings {
class AppState;
class ProfileManager;
} // namespace tintwell::settings

namespace tintwell::ui {

/// One profile in the manager: active mark, name (editable for the user's own), summary, "Apply"
/// and a menu with duplicate, move and delete.
class ProfileRow : public QWidget {
    Q_OBJECT
public:
    ProfileRow(const core::Profile& profile, bool isBuiltin, QWidget* parent = nullptr);

    const core::Uuid& profileId() const { return id_; }
    /// Shows the profile's current values; a name being typed is left alone.
    void update(const core::Profile& profile, bool isActive, bool canMoveUp, bool canMoveDown);

    QToolButton* applyButton() const { return apply_; }
    QAction* moveUpAction() const { return moveUp_; }
    QAction* moveDownAction() const { return moveDown_; }
    QAction* duplicateAction() const { return duplicate_; }
    QLineEdit* nameField() const { return nameField_; }

Q_SIGNALS:
    void applyRequested();
    void duplicateRequested();
    void moveRequested(int step);
    void deleteRequested();
    void renamed(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    core::Uuid id_;
    QLabel* mark_;
    QLineEdit* nameField_ = nullptr;
    ElidedLabel* summary_;
    QToolButton* apply_;
    QToolButton* menuButton_;
    QAction* duplicate_;
    QAction* moveUp_ = nullptr;
    QAction* moveDown_ = nullptr;
    QAction* delete_ = nullptr;
};

/// The profile manager: the user's profiles (rename, reorder, duplicate, apply, delete) and the
/// built-in presets (apply, duplicate).
class ProfileManagerScreen : public SecondaryScreen {
    Q_OBJECT
public:
    ProfileManagerScreen(settings::AppState& state, settings::ProfileManager& profiles,
                         QWidget* parent = nullptr);

    const std::vector<ProfileRow*>& userRows() const { return userRows_; }
    const std::vector<ProfileRow*>& presetRows() const { return presetRows_; }

Q_SIGNALS:
    /// The "Save profile" dialog should open; the name field already holds the suggestion.
    void saveProfileRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void rebuildUserRows();
    ProfileRow* addRow(QVBoxLayout* into, const core::Profile& profile, bool builtin);

    settings::AppState& state_;
    settings::ProfileManager& profiles_;
    QLabel* userCount_;
    QWidget* emptyCard_;
    QVBoxLayout* userList_;
    QVBoxLayout* presetList_;
    std::vector<ProfileRow*> userRows_;
    std::vector<ProfileRow*> presetRows_;
    bool rowsStale_ = true; ///< the store changed while the screen was hidden
};

} // namespace tintwell::ui
