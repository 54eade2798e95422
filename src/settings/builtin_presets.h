#pragma once

#include "core/value_records.h"

#include <optional>
#include <vector>

namespace tintwell::settings {

/// The six read-only profiles compiled into the program. Their identifiers are fixed so that an
/// active preset survives restarts.
struct BuiltinPresets {
    /// "Default", "Cozy reading", "Movie / TV", "Coding (long sessions)", "Sunlit work",
    /// "Sleep prep", in this order.
    static const std::vector<core::Profile>& all();
    /// The first preset with `id`.
    static std::optional<core::Profile> find(const core::Uuid& id);

    BuiltinPresets() = delete;
};

} // namespace tintwell::settings
