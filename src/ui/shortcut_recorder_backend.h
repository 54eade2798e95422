#pragma once

#include "ui/recorder_field.h"

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

private:
    shortcuts::GlobalShortcuts& shortcuts_;
};

} // namespace tintwell::ui
