#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace tintwell::settings {
class ProfileManager;
}

namespace tintwell::ui {

/// "Save profile": names the current values as a new profile. Shown inside the popup rather than
/// as a separate window, which would close the popup as soon as it took the focus.
class SaveProfilePanel : public QWidget {
    Q_OBJECT
public:
    explicit SaveProfilePanel(settings::ProfileManager& profiles, QWidget* parent = nullptr);

    /// Empties the field and focuses it.
    void begin();
    QLineEdit* nameField() const { return name_; }
    QPushButton* saveButton() const { return save_; }

Q_SIGNALS:
    /// Saved or cancelled.
    void finished();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    settings::ProfileManager& profiles_;
    QLineEdit* name_;
    QPushButton* save_;
};

} // namespace tintwell::ui
