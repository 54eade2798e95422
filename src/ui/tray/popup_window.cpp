#include "ui/tray/popup_window.h"

#include "ui/screens/settings_view.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace tintwell::ui {

PopupWindow::PopupWindow(SettingsView* view, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint), view_(view) {
    setObjectName(QStringLiteral("tintwellPopup"));
    setWindowTitle(QStringLiteral("Tintwell"));
    setAccessibleName(QStringLiteral("Tintwell"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(view_);
    connect(view_, &SettingsView::preferredSizeChanged, this, &PopupWindow::fitToView);
}

void PopupWindow::showAt(const PopupAnchor& anchor) {
    anchor_ = anchor;
    view_->setHeightCap(popupHeightCap(anchor.availableGeometry.isValid()
                                           ? std::optional(anchor.availableGeometry.height())
                                           : std::nullopt));
    fitToView();
    show();
    raise();
    activateWindow();
    // The keyboard belongs to the popup at once: focus its first control.
    if (!focusWidget() || !isAncestorOf(focusWidget()) || !focusWidget()->isVisible())
        focusFirstControl(view_->currentWidget(), Qt::PopupFocusReason);
}

void PopupWindow::fitToView() {
    const QSize size = view_->sizeHint() + QSize(2, 2);
    resize(size);
    if (anchor_.screenGeometry.isValid() || anchor_.availableGeometry.isValid())
        move(popupPosition(anchor_, size));
}

void PopupWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (!view_->escape())
            close();
        return;
    }
    // Return presses the focused button as Space does (buttons outside dialogs ignore it).
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (auto* button = qobject_cast<QAbstractButton*>(focusWidget());
        enter && button && button->isEnabled()) {
        auto* tool = qobject_cast<QToolButton*>(button);
        if (tool && tool->menu() && tool->popupMode() == QToolButton::InstantPopup)
            tool->showMenu();
        else
            button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopupWindow::paintEvent(QPaintEvent*) {
    // A frameless window needs its own edge to stand apart from what lies behind it.
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PopupWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Q_EMIT visibilityChanged(true);
}

void PopupWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    closed_.start();
    Q_EMIT visibilityChanged(false);
}

} // namespace tintwell::ui
