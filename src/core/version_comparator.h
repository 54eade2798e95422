#pragma once

#include <string_view>

namespace tintwell::core {

/// How the first of two versions stands to the second.
enum class VersionOrder { Ascending = -1, Same = 0, Descending = 1 };

/// The standard comparison of version texts such as "1.0", "1.0b1", "2.3.4-rc1": the texts are split
/// into runs of digits, runs of letters and single separator characters, and compared part by part.
/// Numbers compare numerically (runs too long for 64 bits saturate), letter runs as text; a
/// pre-release suffix makes a version older ("1.0b" < "1.0"), any other extra part newer
/// ("1.0.1" > "1.0"). Ascending when `a` is older than `b`.
VersionOrder compareVersions(std::string_view a, std::string_view b);

} // namespace tintwell::core
