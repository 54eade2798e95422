#include "ui/widgets/focus_order.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>

namespace tintwell::ui {

void focusFirstControl(QWidget* root, Qt::FocusReason reason) {
    for (QWidget* w = root->nextInFocusChain(); w && w != root; w = w->nextInFocusChain()) {
        if (root->isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(reason);
            return;
        }
    }
}

namespace {
/// Paints the control first, then the ring over it.
class FocusRing : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* control = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            control->update();
        if (event->type() != QEvent::Paint || !control->hasFocus() || painting_)
            return false;
        painting_ = true;
        QCoreApplication::sendEvent(control, event);
        painting_ = false;
        QPainter painter(control);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(control->palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(control->rect()).adjusted(1, 1, -1, -1), 4, 4);
        return true;
    }

private:
    bool painting_ = false;
};
} // namespace

void showFocusRing(QWidget* control) {
    control->installEventFilter(new FocusRing(control));
}

} // namespace tintwell::ui
