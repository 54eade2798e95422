#include "ui/widgets/shortcut_recorder_backend.h"

#include "shortcuts/global_shortcuts.h"
#include "watchers/hotkey_names.h"

namespace tintwell::ui {

namespace {
shortcuts::Name slot(const std::string& name) {
    return watchers::hotkeys::find(name).value_or(shortcuts::Name{name, std::nullopt});
}
} // namespace

QString ShortcutRecorderBackend::shortcutText(const std::string& name) const {
    const auto shortcut = shortcuts_.getShortcut(slot(name));
    return shortcut ? QString::fromStdString(shortcut->presentableDescription()) : QString();
}

bool ShortcutRecorderBackend::hasShortcut(const QKeyEvent& event) const {
    return shortcuts_.shortcutFromKeyEvent(event).has_value();
}

bool ShortcutRecorderBackend::reservedBySystem(const QKeyEvent& event) const {
    const auto shortcut = shortcuts_.shortcutFromKeyEvent(event);
    return shortcut && shortcuts_.isReservedBySystem(*shortcut);
}

void ShortcutRecorderBackend::assign(const std::string& name, const QKeyEvent& event) {
    if (const auto shortcut = shortcuts_.shortcutFromKeyEvent(event))
        shortcuts_.setShortcut(shortcut, slot(name));
}

void ShortcutRecorderBackend::clear(const std::string& name) {
    shortcuts_.setShortcut(std::nullopt, slot(name));
}

void ShortcutRecorderBackend::setPaused(bool paused) {
    shortcuts_.setPaused(paused);
}

QString ShortcutRecorderBackend::unavailableReason() const {
    if (shortcuts_.canRegister())
        return {};
    return "This desktop lets no program take global keys (its portal offers no global shortcuts). Bind "
           "“tintwell --action NAME” (togglePause, warmer, cooler…) to keys in the desktop's keyboard "
           "settings or the compositor's configuration instead.";
}

} // namespace tintwell::ui
