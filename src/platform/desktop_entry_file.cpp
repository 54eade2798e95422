#include "platform/desktop_entry_file.h"

#include "platform/outside_text.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <QLoggingCategory>

namespace tintwell::platform {

namespace {

Q_LOGGING_CATEGORY(lcDesktopEntries, "tintwell.desktopentries", QtInfoMsg)

// A desktop entry is a few kilobytes at most; a bigger file is not one, and is not read whole.
constexpr std::streamsize kMaxDesktopEntryBytes = 64 * 1024;

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string unescape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += s[i];
            break;
        }
    }
    return out;
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::vector<std::string> splitColons(const std::string& s) {
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, ':'))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

} // namespace

std::optional<std::map<std::string, std::string>> readDesktopEntryGroup(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return std::nullopt;
    std::string text(std::size_t(kMaxDesktopEntryBytes) + 1, '\0');
    text.resize(std::size_t(stream.read(text.data(), kMaxDesktopEntryBytes + 1).gcount()));
    if (std::streamsize(text.size()) > kMaxDesktopEntryBytes) {
        qCInfo(lcDesktopEntries).noquote()
            << "Skipped" << QString::fromStdString(file.string()) << "- larger than"
            << kMaxDesktopEntryBytes / 1024 << "KiB, too big for a desktop entry";
        return std::nullopt;
    }
    std::istringstream in(text);
    bool inGroup = false;
    bool sawGroup = false;
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            sawGroup = sawGroup || inGroup;
            continue;
        }
        const auto eq = line.find('=');
        if (inGroup && eq != std::string::npos)
            values[trim(line.substr(0, eq))] = validUtf8(unescape(trim(line.substr(eq + 1))));
    }
    if (!sawGroup)
        return std::nullopt;
    return values;
}

std::vector<std::string> localeSuffixes(const std::string& locale) {
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C."))
        return {};
    std::string rest = locale;
    std::string modifier;
    if (const auto at = rest.find('@'); at != std::string::npos) {
        modifier = rest.substr(at + 1);
        rest.erase(at);
    }
    if (const auto dot = rest.find('.'); dot != std::string::npos)
        rest.erase(dot);
    std::string lang = rest;
    std::string country;
    if (const auto us = rest.find('_'); us != std::string::npos) {
        lang = rest.substr(0, us);
        country = rest.substr(us + 1);
    }
    if (lang.empty())
        return {};
    std::vector<std::string> out;
    if (!country.empty() && !modifier.empty())
        out.push_back(lang + "_" + country + "@" + modifier);
    if (!country.empty())
        out.push_back(lang + "_" + country);
    if (!modifier.empty())
        out.push_back(lang + "@" + modifier);
    out.push_back(lang);
    return out;
}

std::vector<std::string> userLocaleSuffixes() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const std::string locale = env(variable); !locale.empty())
            return localeSuffixes(locale);
    return {};
}

std::vector<std::filesystem::path> desktopDataDirs() {
    const std::string home = env("HOME");
    std::vector<std::filesystem::path> dirs;
    std::string dataHome = env("XDG_DATA_HOME");
    if (dataHome.empty() && !home.empty())
        dataHome = home + "/.local/share";
    if (!dataHome.empty())
        dirs.emplace_back(dataHome);
    std::string dataDirs = env("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share:/usr/share";
    for (const auto& d : splitColons(dataDirs))
        dirs.emplace_back(d);
    // Sessions started without flatpak's profile script lack its exports in XDG_DATA_DIRS.
    std::vector<std::filesystem::path> flatpak{"/var/lib/flatpak/exports/share"};
    if (!home.empty())
        flatpak.insert(flatpak.begin(), home + "/.local/share/flatpak/exports/share");
    for (auto& dir : flatpak)
        if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end())
            dirs.push_back(std::move(dir));
    return dirs;
}

std::vector<std::filesystem::path> applicationFolders() {
    std::vector<std::filesystem::path> folders;
    for (const auto& dir : desktopDataDirs())
        folders.push_back(dir / "applications");
    return folders;
}

std::string localisedValue(const std::map<std::string, std::string>& group, const std::string& key,
                           const std::vector<std::string>& suffixes) {
    for (const std::string& suffix : suffixes)
        if (const auto it = group.find(key + "[" + suffix + "]"); it != group.end() && !it->second.empty())
            return it->second;
    const auto it = group.find(key);
    return it == group.end() ? std::string() : it->second;
}

} // namespace tintwell::platform
