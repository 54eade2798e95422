#pragma once

#include <QString>

namespace tintwell::ui {

/// The shortcut recorder's texts, looked up by key in one translatable table ("GlobalShortcuts"
/// context): "record_shortcut", "press_shortcut", "keyboard_shortcut_used_by_menu_item" (one %1:
/// the menu item's title), "keyboard_shortcut_used_by_system", "keyboard_shortcuts_can_be_changed",
/// "ok", "force_use_shortcut", "keyboard_shortcut_disallowed", "space_key". An unknown key reads
/// as itself.
QString recorderText(const char* key);

} // namespace tintwell::ui
