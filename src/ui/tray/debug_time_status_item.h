#pragma once

#include <memory>

#include <QObject>
#include <QPointer>

class QMenu;
class QSystemTrayIcon;

namespace tintwell::scheduling {
class DebugTimeController;
}

namespace tintwell::ui {

class MenuTracker;

/// The second status icon of the debug time controls ("🧪 Time"): its menu jumps the frozen clock,
/// returns to the system clock and simulates wake, clock and time-zone events.
class DebugTimeStatusItem : public QObject {
    Q_OBJECT
public:
    explicit DebugTimeStatusItem(scheduling::DebugTimeController& controller, QObject* parent = nullptr);
    ~DebugTimeStatusItem() override;

    /// Shows the icon when a system tray exists; the menu is built either way.
    void install();
    QMenu* menu() const { return menu_.get(); }
    QSystemTrayIcon* statusItem() const { return tray_.get(); }

private:
    QPointer<scheduling::DebugTimeController> controller_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};

} // namespace tintwell::ui
