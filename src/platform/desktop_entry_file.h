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

/// The localised-key suffixes for the user's language: localeSuffixes() of LC_ALL, else
/// LC_MESSAGES, else LANG, the variables that choose the language of messages.
std::vector<std::string> userLocaleSuffixes();

/// The folders applications and their icons are installed under, in precedence order: $XDG_DATA_HOME
/// (~/.local/share), each of $XDG_DATA_DIRS (/usr/local/share:/usr/share), then flatpak's exports
/// where the variables leave them out.
std::vector<std::filesystem::path> desktopDataDirs();

/// The "applications" folder of each of desktopDataDirs(): where desktop entries live.
std::vector<std::filesystem::path> applicationFolders();

/// The value of `key` in the first of `suffixes` that the group has (Name[de_CH], Name[de]), else
/// of the key itself; empty when none is there or all are empty.
std::string localisedValue(const std::map<std::string, std::string>& group, const std::string& key,
                           const std::vector<std::string>& suffixes);

} // namespace tintwell::platform
