#include "ui/widgets/coalesced_call.h"

namespace tintwell::ui {

void CoalescedCall::request() {
    if (queued_)
        return;
    queued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            queued_ = false;
            call_();
        },
        Qt::QueuedConnection);
}

} // namespace tintwell::ui
