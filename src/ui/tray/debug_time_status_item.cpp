#include "ui/tray/debug_time_status_item.h"

#include "scheduling/debug_time_controller.h"
#include "ui/widgets/symbol_provider.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace tintwell::ui {

DebugTimeStatusItem::DebugTimeStatusItem(scheduling::DebugTimeController& controller, QObject* parent)
    : QObject(parent), controller_(&controller) {}

DebugTimeStatusItem::~DebugTimeStatusItem() {
    if (tray_)
        tray_->hide();
}

void DebugTimeStatusItem::install() {
    using scheduling::DebugTimeController;
    menu_ = std::make_unique<QMenu>();
    menu_->setTitle(DebugTimeController::statusTitle);
    for (const auto& row : DebugTimeController::menuRows()) {
        if (row.separator) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(row.title);
        action->setEnabled(row.enabled);
        if (row.enabled)
            connect(action, &QAction::triggered, this, [this, row] {
                if (controller_)
                    controller_->perform(row);
            });
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    tray_ = std::make_unique<QSystemTrayIcon>(SymbolProvider::trayIcon(QStringLiteral("testtube")));
    tray_->setToolTip(DebugTimeController::toolTip);
    tray_->setContextMenu(menu_.get());
    // Like a menu-bar item, a plain click opens the menu too.
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            menu_->popup(QCursor::pos());
    });
    tray_->show();
}

} // namespace tintwell::ui
