#pragma once

#include "ui/widgets/recorder_field.h"

namespace tintwell::shortcuts {
class GlobalShortcuts;
}

namespace tintwell::ui {

/// The recorder's view of the application's global shortcuts: slots by raw value, combinations
/// from the key events the recorder receives.
class ShortcutRecorderBackend : public RecorderBackend {
public:
    explicit ShortcutRecorderBackend(shortcuts::GlobalShortcuts& shortcuts) : shortcuts_(shortcuts) {}

    QString shortcutText(const std::string& name) const override;
    bool hasShortcut(const QKeyEvent& event) const override;
    bool reservedBySystem(const QKeyEvent& event) const override;
    void assign(const std::string& name, const QKeyEvent& event) override;
    void clear(const std::string& name) override;
    void setPaused(bool paused) override;
    QString unavailableReason() const override;

private:
    shortcuts::GlobalShortcuts& shortcuts_;
};

/// The hotkeys screen without the shortcut module: every slot empty, nothing stored.
class NoShortcutsBackend : public RecorderBackend {
public:
    QString shortcutText(const std::string&) const override { return {}; }
    bool hasShortcut(const QKeyEvent&) const override { return false; }
    bool reservedBySystem(const QKeyEvent&) const override { return false; }
    void assign(const std::string&, const QKeyEvent&) override {}
    void clear(const std::string&) override {}
    void setPaused(bool) override {}
};

} // namespace tintwell::ui
