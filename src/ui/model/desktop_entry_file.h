#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tintwell::ui {

/// An application chosen through its desktop entry file.
struct DesktopEntryApplication {
    std::string applicationId; ///< StartupWMClass, else the file name without ".desktop"
    std::string name;          ///< Name in the user's language, else Name, else the id
    bool operator==(const DesktopEntryApplication&) const = default;
};

/// Reads the [Desktop Entry] group of `file`. `localeSuffixes` are tried best first for Name[…]
/// (for "de_CH": "de_CH", "de"; platform::userLocaleSuffixes() for the user's). Nothing when the file cannot
/// be read or has no such group.
std::optional<DesktopEntryApplication> readDesktopEntry(const std::filesystem::path& file,
                                                        const std::vector<std::string>& localeSuffixes);

/// Where "Browse for app…" opens: the first of `folders` (the user's own applications folder),
/// created when missing; when it cannot be, the first of the others that exists; else the last.
std::filesystem::path browseStartFolder(const std::vector<std::filesystem::path>& folders);

} // namespace tintwell::ui
