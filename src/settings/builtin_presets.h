#pragma once

#include "scheduling/value_records.h"

#include <optional>
#include <vector>

namespace tintwell::settings {

/// The six read-only profiles compiled into the program. Their identifiers are fixed so that an
/// active preset survives restarts.
struct BuiltinPresets {
    /// "Default", "Cozy reading", "Movie / TV", "Coding (long sessions)", "Sunlit work",
    /// "Sleep prep", in this order.
    static const std::vector<scheduling::Profile>& all();
    /// The first preset with `id`.
    static std::optional<scheduling::Profile> find(const scheduling::Uuid& id);

    BuiltinPresets() = delete;
};

} // namespace tintwell::settings
