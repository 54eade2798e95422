#pragma once

#include "platform/display_services.h"
#include "platform/hot_key_service.h"
#include "platform/workspace_services.h"

#include <memory>
#include <optional>

#include <QString>

namespace tintwell::app {

/// Which implementation of the platform services to use.
struct Backend {
    enum class Kind { X11, Virtual };
    Kind kind = Kind::X11;
    int virtualDisplayCount = 2; ///< with Virtual: how many displays
};

struct PlatformOptions {
    /// One-shot commands leave their tint on screen when they exit: nothing is recorded for a
    /// later restore, and no record of a running instance is touched.
    bool keepTransferTablesOnExit = false;
    /// Only the running application grabs keys.
    bool globalHotKeys = false;
};

/// The platform services of one backend, created once at start-up.
struct PlatformServices {
    std::unique_ptr<platform::DisplayServices> displays;
    std::unique_ptr<platform::WorkspaceServices> workspace;
    std::unique_ptr<platform::HotKeyService> hotKeys; ///< null when the key grabs cannot be had
};

/// Creates the services of `backend`. On failure (no X display, no RandR…) returns nothing and sets
/// `error` to one line for the user. Call on the main thread.
std::optional<PlatformServices> createPlatformServices(const Backend& backend, const PlatformOptions& options,
                                                       QString* error);

} // namespace tintwell::app
