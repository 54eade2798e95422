#include "ui/widgets/focus_order.h"

namespace tintwell::ui {

void focusFirstControl(QWidget* root, Qt::FocusReason reason) {
    for (QWidget* w = root->nextInFocusChain(); w && w != root; w = w->nextInFocusChain()) {
        if (root->isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(reason);
            return;
        }
    }
}

} // namespace tintwell::ui
