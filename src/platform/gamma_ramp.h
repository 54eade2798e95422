#pragma once

#include "core/color_temperature.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tintwell::platform {

/// One channel of a CRTC's hardware ramp: `size` 16-bit entries, entry j for input level j / (size - 1).
using HardwareRamp = std::vector<std::uint16_t>;

/// The three channels of one CRTC's ramp, each as long as its gamma size.
struct HardwareRamps {
    HardwareRamp r, g, b;
    bool operator==(const HardwareRamps&) const = default;
};

/// Resamples a 256-entry table to `size` entries (linear interpolation) and converts it to 16 bits with
/// rounding, so 1.0 becomes 65535. Values outside [0, 1] and NaN are held to the range.
HardwareRamp toHardwareRamp(const core::TransferTable& table, int size);
HardwareRamps toHardwareRamps(const core::TransferTables& tables, int size);

/// The identity ramp of `size` entries.
HardwareRamp identityHardwareRamp(int size);

/// Resamples a hardware ramp of any size to another size, for saved ramps whose CRTC changed size.
HardwareRamp resampleHardwareRamp(std::span<const std::uint16_t> ramp, int size);
HardwareRamps resampleHardwareRamps(const HardwareRamps& ramps, int size);

/// Reads a hardware ramp back as a 256-entry table in [0, 1].
core::TransferTable fromHardwareRamp(std::span<const std::uint16_t> ramp);
core::TransferTables fromHardwareRamps(const HardwareRamps& ramps);

} // namespace tintwell::platform
