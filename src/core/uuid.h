#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tintwell::core {

/// A 128-bit identifier, written as 36 upper-case hexadecimal characters in the 8-4-4-4-12 form.
struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    /// A random (version 4) identifier.
    static Uuid random();
    /// Accepts the hyphenated form in either case; anything else yields nothing.
    static std::optional<Uuid> parse(std::string_view text);

    std::string toString() const;

    auto operator<=>(const Uuid&) const = default;
};

} // namespace tintwell::core
