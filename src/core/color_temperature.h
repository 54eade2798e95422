#pragma once

#include <array>

namespace tintwell::core {

/// One channel of a transfer table: entry i is the output level for input level i / 255.
using TransferTable = std::array<float, 256>;

/// The three channels loaded into a display.
struct TransferTables {
    TransferTable r{};
    TransferTable g{};
    TransferTable b{};
    bool operator==(const TransferTables&) const = default;
};

/// Black-body colour (Tanner Helland's fit) and the transfer tables built from it. Pure.
struct ColorTemperature {
    struct Multipliers {
        double r = 1;
        double g = 1;
        double b = 1;
        bool operator==(const Multipliers&) const = default;
    };

    /// Channel multipliers in [0, 1] for a temperature in Kelvin (held to [1000, 40000] K).
    static Multipliers rgbMultipliers(double kelvin);

    /// Tables for a Kelvin value, a brightness (held to [0.1, 1]) and a gamma exponent (at least 0.1).
    /// Non-finite inputs never produce NaN entries.
    static TransferTables gammaRamp(double kelvin, double brightness, double gamma);

    /// The identity table: entry i is i / 255.
    static TransferTable identityTable();

    ColorTemperature() = delete;
};

} // namespace tintwell::core
