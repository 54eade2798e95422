#include "core/color_temperature.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace tintwell::core {
namespace {

TEST(ColorTemperatureTest, MultipliersMatchReferenceValues) {
    struct Row {
        double kelvin, r, g, b;
    };
    const Row rows[] = {
        {1000, 1, 0.2664, 0},       {0, 1, 0.2664, 0},          {-500, 1, 0.2664, 0},
        {1900, 1, 0.5167, 0},       {2700, 1, 0.6538, 0.3428},  {3400, 1, 0.7437, 0.5301},
        {5000, 1, 0.8942, 0.8076},  {6500, 1, 0.9965, 0.9806},  {6600, 1, 1, 1},
        {10000, 0.7910, 0.8552, 1}, {40000, 0.5948, 0.7276, 1}, {100000, 0.5948, 0.7276, 1},
    };
    for (const auto& row : rows) {
        const auto m = ColorTemperature::rgbMultipliers(row.kelvin);
        EXPECT_NEAR(m.r, row.r, 5e-5) << row.kelvin;
        EXPECT_NEAR(m.g, row.g, 5e-5) << row.kelvin;
        EXPECT_NEAR(m.b, row.b, 5e-5) << row.kelvin;
    }
}

TEST(ColorTemperatureTest, NeutralWhiteIsTheIdentityTable) {
    const auto identity = ColorTemperature::identityTable();
    EXPECT_EQ(ColorTemperature::gammaRamp(6600, 1, 1), (TransferTables{identity, identity, identity}));
}

TEST(ColorTemperatureTest, BrightnessAndGammaAreHeldToTheirRanges) {
    struct Row {
        double brightness, gamma, sameBrightness, sameGamma;
    };
    const Row rows[] = {
        {0, 1, 0.1, 1}, {-3, 1, 0.1, 1}, {2, 1, 1, 1}, {1, 0, 1, 0.1}, {1, -2, 1, 0.1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ColorTemperature::gammaRamp(4000, row.brightness, row.gamma),
                  ColorTemperature::gammaRamp(4000, row.sameBrightness, row.sameGamma))
            << row.brightness << " " << row.gamma;
    }

    // Gamma 5 is used as given: exponent 0.2 lifts the mid-tones.
    const auto lifted = ColorTemperature::gammaRamp(6600, 1, 5);
    EXPECT_NEAR(lifted.g[128], std::pow(128.0 / 255.0, 0.2), 1e-6);
    // Entry 255 is brightness times the channel multiplier.
    const auto dim = ColorTemperature::gammaRamp(3400, 0.5, 1);
    EXPECT_NEAR(dim.g[255], 0.5 * ColorTemperature::rgbMultipliers(3400).g, 1e-6);
}

TEST(ColorTemperatureTest, TablesAreBoundedMonotoneAndFiniteForAnyInput) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double inputs[][3] = {
        {3400, 1, 1},   {1200, 0.3, 0.4}, {25000, 1, 9},      {nan, 1, 1},    {4000, nan, 1},
        {4000, 1, nan}, {inf, inf, inf},  {-inf, -inf, -inf}, {4000, 1, inf},
    };
    for (const auto& in : inputs) {
        const auto t = ColorTemperature::gammaRamp(in[0], in[1], in[2]);
        for (const auto* channel : {&t.r, &t.g, &t.b})
            for (int i = 0; i < 256; ++i) {
                const float v = (*channel)[i];
                ASSERT_TRUE(std::isfinite(v)) << in[0] << " " << in[1] << " " << in[2];
                ASSERT_GE(v, 0.0f);
                ASSERT_LE(v, 1.0f);
                if (i > 0) {
                    ASSERT_GE(v, (*channel)[i - 1]);
                }
            }
    }
}

} // namespace
} // namespace tintwell::core
