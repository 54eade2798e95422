#include "core/update_selection.h"
#include "core/version_comparator.h"

#include <gtest/gtest.h>

namespace tintwell::core {
namespace {

TEST(VersionOrderTest, OlderIsAscendingAndTheOrderIsAntisymmetric) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.0", "1.0.1"},
        {"1.0b1", "1.0"},
        {"1.0a", "1.0b"},
        {"2", "10"},
        {"1.0", "1.0-rc1"},
        {"1.0", "1.0.0"},
        {"", "0"},
        {"1.0b", "1.0.1"},
        {"1a", "1.5"},
        {"1.", "1.1"},
        {"18446744073709551614", "18446744073709551615"},
        {"1.9", "123456789012345678901234567890"},
    };
    for (const auto& [older, newer] : cases) {
        EXPECT_EQ(compareVersions(older, newer), VersionOrder::Ascending) << older << " vs " << newer;
        EXPECT_EQ(compareVersions(newer, older), VersionOrder::Descending) << newer << " vs " << older;
    }
}

struct Item {
    std::optional<std::string> versionString;
    int tag = 0;
};

std::optional<int> bestTag(const std::vector<Item>& items, const char* current) {
    const auto best = bestValidUpdate(items, current);
    return best ? std::optional(best->tag) : std::nullopt;
}

TEST(BestValidUpdateTest, EqualVersionsKeepTheFirstAndMissingVersionsAreNeverNewer) {
    EXPECT_EQ(bestTag({{"1.5", 1}, {"1.5", 2}}, "1.0"), 1);
    EXPECT_EQ(bestTag({{std::nullopt, 1}, {"", 2}}, "0"), std::nullopt);
    EXPECT_EQ(bestTag({{std::nullopt, 1}, {"0.0.9", 2}, {"9.0", 3}}, "0.1.0"), 3);
}

} // namespace
} // namespace tintwell::core
