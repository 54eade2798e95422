#include "platform/gamma_ramp.h"

#include <algorithm>
#include <cmath>

namespace tintwell::platform {
namespace {

// Linear interpolation at position `pos` (0 … n-1) in a sampled curve.
template <typename Sample>
double sampleAt(Sample sample, int n, double pos) {
    if (n <= 1)
        return n == 1 ? sample(0) : 0.0;
    pos = std::clamp(pos, 0.0, static_cast<double>(n - 1));
    const int i = static_cast<int>(pos);
    if (i >= n - 1)
        return sample(n - 1);
    const double f = pos - i;
    return sample(i) + (sample(i + 1) - sample(i)) * f;
}

std::uint16_t toUnit16(double v) {
    // NaN fails both comparisons, so it is sent to 0 explicitly.
    if (!(v > 0.0))
        return 0;
    if (v >= 1.0)
        return 65535;
    return static_cast<std::uint16_t>(std::lround(v * 65535.0));
}

} // namespace

HardwareRamp toHardwareRamp(const core::TransferTable& table, int size) {
    if (size <= 0)
        return {};
    HardwareRamp ramp(static_cast<std::size_t>(size));
    const int n = static_cast<int>(table.size());
    const auto sample = [&](int i) { return static_cast<double>(table[static_cast<std::size_t>(i)]); };
    for (int j = 0; j < size; ++j) {
        const double pos = size == 1 ? n - 1.0 : j * (n - 1.0) / (size - 1.0);
        ramp[static_cast<std::size_t>(j)] = toUnit16(size == n ? sample(j) : sampleAt(sample, n, pos));
    }
    return ramp;
}

HardwareRamps toHardwareRamps(const core::TransferTables& tables, int size) {
    return {toHardwareRamp(tables.r, size), toHardwareRamp(tables.g, size), toHardwareRamp(tables.b, size)};
}

HardwareRamp identityHardwareRamp(int size) {
    return toHardwareRamp(core::ColorTemperature::identityTable(), size);
}

HardwareRamp resampleHardwareRamp(std::span<const std::uint16_t> ramp, int size) {
    const int n = static_cast<int>(ramp.size());
    if (size <= 0 || n == 0)
        return {};
    if (n == size)
        return HardwareRamp(ramp.begin(), ramp.end());
    HardwareRamp out(static_cast<std::size_t>(size));
    const auto sample = [&](int i) { return static_cast<double>(ramp[static_cast<std::size_t>(i)]); };
    for (int j = 0; j < size; ++j) {
        const double pos = size == 1 ? n - 1.0 : j * (n - 1.0) / (size - 1.0);
        out[static_cast<std::size_t>(j)] = static_cast<std::uint16_t>(std::lround(sampleAt(sample, n, pos)));
    }
    return out;
}

HardwareRamps resampleHardwareRamps(const HardwareRamps& ramps, int size) {
    return {resampleHardwareRamp(ramps.r, size), resampleHardwareRamp(ramps.g, size),
            resampleHardwareRamp(ramps.b, size)};
}

core::TransferTable fromHardwareRamp(std::span<const std::uint16_t> ramp) {
    core::TransferTable table{};
    const int n = static_cast<int>(ramp.size());
    const auto sample = [&](int i) { return static_cast<double>(ramp[static_cast<std::size_t>(i)]); };
    for (int i = 0; i < 256; ++i) {
        const double v = n == 256 ? sample(i) : sampleAt(sample, n, i * (n - 1.0) / 255.0);
        table[static_cast<std::size_t>(i)] = static_cast<float>(v / 65535.0);
    }
    return table;
}

core::TransferTables fromHardwareRamps(const HardwareRamps& ramps) {
    return {fromHardwareRamp(ramps.r), fromHardwareRamp(ramps.g), fromHardwareRamp(ramps.b)};
}

} // namespace tintwell::platform
