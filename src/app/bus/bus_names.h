#pragma once

#include "core/application_id.h"

namespace tintwell::app::bus {

/// The running application's well-known name on the session bus.
inline constexpr const char* service = core::applicationId;
inline constexpr const char* objectPath = "/org/tintwell/Tintwell";
inline constexpr const char* interface = core::applicationId;

} // namespace tintwell::app::bus
