#include "app/platform_backend.h"

#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_hot_key_service.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "platform/x11/x11_display_services.h"
#include "platform/x11/x11_hot_key_service.h"
#include "platform/x11/x11_workspace_services.h"

namespace tintwell::app {

std::optional<PlatformServices> createPlatformServices(const Backend& backend, const PlatformOptions& options,
                                                       QString* error) {
    PlatformServices services;
    switch (backend.kind) {
    case Backend::Kind::Virtual:
        services.displays = std::make_unique<platform::VirtualDisplayServices>(backend.virtualDisplayCount);
        services.workspace = std::make_unique<platform::VirtualWorkspaceServices>();
        if (options.globalHotKeys)
            services.hotKeys = std::make_unique<platform::VirtualHotKeyService>();
        break;
    case Backend::Kind::X11: {
        platform::X11DisplayServices::Options x11;
        if (!options.keepTransferTablesOnExit)
            x11.stateDirectory = platform::X11DisplayServices::defaultStateDirectory();
        services.displays = platform::X11DisplayServices::create(x11, error);
        if (!services.displays)
            return std::nullopt;
        services.workspace = platform::X11WorkspaceServices::create();
        if (!services.workspace) {
            *error = QString("Cannot open the X display %1.").arg(qEnvironmentVariable("DISPLAY"));
            return std::nullopt;
        }
        if (options.globalHotKeys)
            services.hotKeys = platform::X11HotKeyService::create();
        break;
    }
    }
    return services;
}

} // namespace tintwell::app
