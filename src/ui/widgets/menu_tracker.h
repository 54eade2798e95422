#pragma once

#include <functional>

#include <QObject>

class QMenu;

namespace tintwell::ui {

/// Knows whether any of our menus or the popup is open, and reports the moments when the first
/// opens and the last closes.
class MenuTracker : public QObject {
    Q_OBJECT
public:
    explicit MenuTracker(std::function<void(bool open)> report, QObject* parent = nullptr);

    /// Follows the menu's showing and hiding for as long as it lives.
    void track(QMenu* menu);
    /// The popup counts as one more open surface.
    void setPopupOpen(bool open);

private:
    void change(int delta);

    std::function<void(bool)> report_;
    int open_ = 0;
    bool popupOpen_ = false;
};

} // namespace tintwell::ui
