#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tintwell::platform {

/// What an installed application's desktop entry says about it.
struct DesktopApplicationInfo {
    std::string name;     ///< Name in the user's language when the entry has it
    std::string iconName; ///< the Icon value as written
    std::string iconPath; ///< that icon found on disk; empty when not found
    bool operator==(const DesktopApplicationInfo&) const = default;
};

/// Finds the installed desktop entry of an application by its window class.
///
/// An entry matches when its StartupWMClass equals the class, or, failing that, when its desktop
/// file id (without ".desktop") equals the class, exactly or ignoring letter case. Entries are read
/// once and re-read when an applications folder changes.
class DesktopEntryIndex {
public:
    struct Environment {
        /// Base folders in precedence order (desktopDataDirs()).
        std::vector<std::filesystem::path> dataDirs;
        /// Localised-key suffixes to try, best first (userLocaleSuffixes()).
        std::vector<std::string> localeSuffixes;
        /// Extra icon folders searched before the data folders' icons (e.g. ~/.icons).
        std::vector<std::filesystem::path> iconDirs;
        /// Icon themes to search, best first; "hicolor" is always searched last.
        std::vector<std::string> iconThemes;
    };

    /// The process's environment: the data folders and language of desktop_entry_file.h, ~/.icons.
    static Environment environment();

    explicit DesktopEntryIndex(Environment env = environment());

    /// The entry for a window class; nothing when no installed entry matches.
    std::optional<DesktopApplicationInfo> lookup(const std::string& windowClass);

private:
    struct Entry {
        std::string fileId; ///< without ".desktop"
        std::string startupWmClass;
        std::string name; ///< Name in the user's language when the entry has it
        std::string icon;
    };

    void scanIfStale();
    std::optional<Entry> parse(const std::filesystem::path& file) const;
    DesktopApplicationInfo describe(const Entry& e) const;
    std::string findIcon(const std::string& icon) const;

    Environment env_;
    std::vector<Entry> entries_;
    std::vector<std::optional<std::filesystem::file_time_type>> scannedTimes_;
    bool scanned_ = false;
    std::map<std::string, std::optional<DesktopApplicationInfo>> cache_;
};

} // namespace tintwell::platform
