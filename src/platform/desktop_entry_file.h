#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tintwell::platform {

/// The keys of the [Desktop Entry] group of a desktop entry file, values trimmed and unescaped (\s,
/// \n, \t, \r, \\); of a key written twice, the last. Nothing when the file cannot be read or has no
/// such group.
std::optional<std::map<std::string, std::string>> readDesktopEntryGroup(const std::filesystem::path& file);

/// The localised-key suffixes for a POSIX locale name such as "de_CH.UTF-8@euro", best first:
/// lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang. None for "C" and "POSIX".
std::vector<std::string> localeSuffixes(const std::string& locale);

/// The value of `key` in the first of `suffixes` that the group has (Name[de_CH], Name[de]), else
/// of the key itself; empty when none is there or all are empty.
std::string localisedValue(const std::map<std::string, std::string>& group, const std::string& key,
                           const std::vector<std::string>& suffixes);

} // namespace tintwell::platform
