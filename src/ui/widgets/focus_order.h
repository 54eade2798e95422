#pragma once

#include <QWidget>

namespace tintwell::ui {

/// Gives the keyboard to the first visible control inside `root` in Tab order.
void focusFirstControl(QWidget* root, Qt::FocusReason reason = Qt::TabFocusReason);

} // namespace tintwell::ui
