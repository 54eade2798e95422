#include "core/version_comparator.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace tintwell::core {
namespace {

enum class Kind { Number, Letters, Separator };

struct Part {
    Kind kind;
    std::string_view text;
};

// Only ASCII is classed: a byte of a multi-byte UTF-8 sequence is a letter, so non-ASCII names
// stay together as one letter run instead of splitting into separators.
Kind kindOf(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= '0' && u <= '9')
        return Kind::Number;
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0x80)
        return Kind::Letters;
    return Kind::Separator;
}

std::vector<Part> split(std::string_view text) {
    std::vector<Part> parts;
    std::size_t i = 0;
    while (i < text.size()) {
        const Kind kind = kindOf(text[i]);
        std::size_t end = i + 1;
        if (kind != Kind::Separator)
            while (end < text.size() && kindOf(text[end]) == kind)
                ++end;
        parts.push_back({kind, text.substr(i, end - i)});
        i = end;
    }
    return parts;
}

std::uint64_t toNumber(std::string_view digits) {
    constexpr auto max = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (const char c : digits) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (max - digit) / 10)
            return max;
        value = value * 10 + digit;
    }
    return value;
}

template <class T>
VersionOrder order(const T& a, const T& b) {
    return a < b ? VersionOrder::Ascending : b < a ? VersionOrder::Descending : VersionOrder::Same;
}

VersionOrder compareParts(const Part& a, const Part& b) {
    if (a.kind == b.kind) {
        switch (a.kind) {
        case Kind::Number:
            return order(toNumber(a.text), toNumber(b.text));
        case Kind::Letters:
            return order(a.text, b.text);
        case Kind::Separator:
            return VersionOrder::Same;
        }
    }
    // Letters mark a pre-release: whatever stands against them is newer. Otherwise the number wins.
    if (a.kind == Kind::Letters)
        return VersionOrder::Ascending;
    if (b.kind == Kind::Letters)
        return VersionOrder::Descending;
    return a.kind == Kind::Number ? VersionOrder::Descending : VersionOrder::Ascending;
}

} // namespace

VersionOrder compareVersions(std::string_view a, std::string_view b) {
    const auto pa = split(a);
    const auto pb = split(b);
    const std::size_t common = std::min(pa.size(), pb.size());
    for (std::size_t i = 0; i < common; ++i)
        if (const auto o = compareParts(pa[i], pb[i]); o != VersionOrder::Same)
            return o;
    if (pa.size() == pb.size())
        return VersionOrder::Same;
    const bool aLonger = pa.size() > pb.size();
    const Part& next = aLonger ? pa[common] : pb[common];
    const bool longerIsNewer = next.kind != Kind::Letters;
    return aLonger == longerIsNewer ? VersionOrder::Descending : VersionOrder::Ascending;
}

} // namespace tintwell::core
