#include "ui/widgets/menu_tracker.h"

#include <QMenu>

namespace tintwell::ui {

MenuTracker::MenuTracker(std::function<void(bool)> report, QObject* parent)
    : QObject(parent), report_(std::move(report)) {}

void MenuTracker::track(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this] { change(+1); });
    connect(menu, &QMenu::aboutToHide, this, [this] { change(-1); });
}

void MenuTracker::setPopupOpen(bool open) {
    if (open == popupOpen_)
        return;
    popupOpen_ = open;
    change(open ? +1 : -1);
}

void MenuTracker::change(int delta) {
    const bool before = open_ > 0;
    open_ = std::max(0, open_ + delta);
    const bool after = open_ > 0;
    if (before != after && report_)
        report_(after);
}

} // namespace tintwell::ui
