#pragma once

namespace tintwell::ui {
class LocationStatus;
}
namespace tintwell::watchers {
class LocationProvider;
}

namespace tintwell::app {

/// Keeps what the popup shows about the location service in step with the provider: now, and on
/// every change after. Both must outlive the connections (the delegate owns both).
void bindLocationStatus(watchers::LocationProvider& provider, ui::LocationStatus& status);

} // namespace tintwell::app
