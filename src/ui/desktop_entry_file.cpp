#include "ui/desktop_entry_file.h"

#include <fstream>
#include <map>

#include <QDir>
#include <QLocale>
#include <QStandardPaths>

namespace tintwell::ui {

namespace {
std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}
} // namespace

std::optional<DesktopEntryApplication> readDesktopEntry(const std::filesystem::path& file,
                                                        const std::vector<std::string>& localeSuffixes) {
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    bool inEntry = false;
    bool sawEntry = false;
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inEntry = line == "[Desktop Entry]";
            sawEntry = sawEntry || inEntry;
            continue;
        }
        const auto eq = line.find('=');
        if (inEntry && eq != std::string::npos)
            values.emplace(trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1)));
    }
    if (!sawEntry)
        return std::nullopt;
    DesktopEntryApplication app;
    app.applicationId = values["StartupWMClass"];
    if (app.applicationId.empty()) {
        app.applicationId = file.filename().string();
        if (app.applicationId.ends_with(".desktop"))
            app.applicationId.resize(app.applicationId.size() - 8);
    }
    for (const std::string& suffix : localeSuffixes)
        if (const auto it = values.find("Name[" + suffix + "]"); it != values.end() && !it->second.empty()) {
            app.name = it->second;
            break;
        }
    if (app.name.empty())
        app.name = values["Name"];
    if (app.name.empty())
        app.name = app.applicationId;
    return app;
}

std::vector<std::string> userLocaleSuffixes() {
    const std::string name = QLocale().name().toStdString(); // "de_CH"
    std::vector<std::string> suffixes;
    if (name.empty() || name == "C")
        return suffixes;
    suffixes.push_back(name);
    if (const auto underscore = name.find('_'); underscore != std::string::npos)
        suffixes.push_back(name.substr(0, underscore));
    return suffixes;
}

std::vector<std::filesystem::path> applicationFolders() {
    std::vector<std::filesystem::path> folders;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        folders.emplace_back(dir.toStdString());
    folders.emplace_back(QDir::homePath().toStdString() + "/.local/share/flatpak/exports/share/applications");
    folders.emplace_back("/var/lib/flatpak/exports/share/applications");
    return folders;
}

} // namespace tintwell::ui
