#pragma once

namespace tintwell::core {

/// The one reverse-DNS id of the application: desktop file, icon, D-Bus service name and the
/// location service's client id all use it.
inline constexpr const char* applicationId = "org.tintwell.Tintwell";

} // namespace tintwell::core
