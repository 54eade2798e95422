#include "core/update_selection.h"
#include "core/version_comparator.h"

#include <cctype>

#include <gtest/gtest.h>

namespace tintwell::core {
namespace {

struct VersionCase {
    const char* older;
    const char* newer;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << '"' << c.older << "\" < \"" << c.newer << '"';
}

/// "1.0-rc1" < "1.0" reads as v1_0_rc1_before_v1_0.
std::string caseName(const ::testing::TestParamInfo<VersionCase>& info) {
    std::string name = std::string("v") + info.param.older + "_before_v" + info.param.newer;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

class VersionOrderTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionOrderTest, OlderIsAscendingAndTheOrderIsAntisymmetric) {
    const auto [older, newer] = GetParam();
    EXPECT_EQ(compareVersions(older, newer), VersionOrder::Ascending) << older << " vs " << newer;
    EXPECT_EQ(compareVersions(newer, older), VersionOrder::Descending) << newer << " vs " << older;
}

INSTANTIATE_TEST_SUITE_P(Table, VersionOrderTest,
                         ::testing::Values(VersionCase{"1.0", "1.0.1"}, VersionCase{"1.0b1", "1.0"},
                                           VersionCase{"1.0a", "1.0b"}, VersionCase{"2", "10"},
                                           VersionCase{"1.0", "1.0-rc1"}, VersionCase{"1.0", "1.0.0"},
                                           VersionCase{"", "0"}, VersionCase{"1.0b", "1.0.1"},
                                           VersionCase{"1a", "1.5"}, VersionCase{"1.", "1.1"},
                                           VersionCase{"18446744073709551614", "18446744073709551615"},
                                           VersionCase{"1.9", "123456789012345678901234567890"}),
                         caseName);

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
