#include "platform/gamma_ramp.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::platform;

namespace {

const auto filled = [](float v) {
    core::TransferTable t;
    t.fill(v);
    return t;
};

TEST(GammaRamp, ConvertsToSixteenBitsWithRoundingAndHoldsTheRange) {
    const struct {
        float value;
        std::uint16_t expected;
    } rows[] = {
        {1.0f, 65535},        {0.0f, 0},     {0.5f, 32768}, {1.0f / 65535.0f, 1},
        {0.4f / 65535.0f, 0}, {2.0f, 65535}, {-1.0f, 0},    {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(toHardwareRamp(filled(row.value), 256)[17], row.expected) << row.value;
}

TEST(GammaRamp, ResamplesToTheCrtcSizeAndBack) {
    const auto identity = core::ColorTemperature::identityTable();
    for (int size : {2, 16, 256, 1024, 4096}) {
        SCOPED_TRACE(size);
        const HardwareRamp ramp = toHardwareRamp(identity, size);
        ASSERT_EQ(ramp.size(), std::size_t(size));
        EXPECT_EQ(ramp.front(), 0);
        EXPECT_EQ(ramp.back(), 65535);
        EXPECT_EQ(ramp, identityHardwareRamp(size));
        const auto back = fromHardwareRamp(ramp);
        for (std::size_t i = 0; i < 256; ++i)
            EXPECT_NEAR(back[i], identity[i], 1.5 / 65535.0);
    }
    EXPECT_TRUE(toHardwareRamp(identity, 0).empty());
}

TEST(GammaRamp, ASavedRampFollowsACrtcThatChangedSize) {
    const HardwareRamp small = {0, 1000, 65535};
    EXPECT_EQ(resampleHardwareRamp(small, 5), (HardwareRamp{0, 500, 1000, 33268, 65535}));
    EXPECT_EQ(resampleHardwareRamp(small, 3), small);
}

} // namespace
