#pragma once

#include <QWidget>

namespace tintwell::ui {

/// Gives the keyboard to the first visible control inside `root` in Tab order.
void focusFirstControl(QWidget* root, Qt::FocusReason reason = Qt::TabFocusReason);

/// Draws a ring in the highlight colour around `control` while it has the keyboard: for controls
/// whose style shows no focus of its own (flat, default and menu buttons, controls of our own).
void showFocusRing(QWidget* control);

} // namespace tintwell::ui
