#pragma once

// What a compositor should receive for some transfer tables, worked out here independently of the
// backends: each 256-entry table resampled linearly to `size` entries in 16 bits, red, green, blue.

#include "core/color_temperature.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tintwell::test {

inline std::vector<double> expectedTable(const core::TransferTables& tables, int size) {
    std::vector<double> out;
    for (const auto* t : {&tables.r, &tables.g, &tables.b})
        for (int j = 0; j < size; ++j) {
            const double pos = j * 255.0 / (size - 1);
            const auto k = std::size_t(std::min(int(pos), 254));
            out.push_back(std::clamp((*t)[k] + ((*t)[k + 1] - (*t)[k]) * (pos - double(k)), 0.0, 1.0) *
                          65535);
        }
    return out;
}

/// Whether `got` is the expected table within one level of 16 bits everywhere.
inline bool isExpectedTable(const std::vector<std::uint16_t>& got, const core::TransferTables& tables,
                            int size) {
    const auto want = expectedTable(tables, size);
    return got.size() == want.size() && std::equal(got.begin(), got.end(), want.begin(),
                                                   [](double a, double b) { return std::abs(a - b) <= 1; });
}

} // namespace tintwell::test
