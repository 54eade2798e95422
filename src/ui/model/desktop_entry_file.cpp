#include "ui/model/desktop_entry_file.h"

#include "platform/desktop_entry_file.h"

#include <QDir>
#include <QLocale>
#include <QStandardPaths>

namespace tintwell::ui {

std::optional<DesktopEntryApplication> readDesktopEntry(const std::filesystem::path& file,
                                                        const std::vector<std::string>& localeSuffixes) {
    const auto group = platform::readDesktopEntryGroup(file);
    if (!group)
        return std::nullopt;
    DesktopEntryApplication app;
    if (const auto it = group->find("StartupWMClass"); it != group->end())
        app.applicationId = it->second;
    if (app.applicationId.empty()) {
        app.applicationId = file.filename().string();
        if (app.applicationId.ends_with(".desktop"))
            app.applicationId.resize(app.applicationId.size() - 8);
    }
    app.name = platform::localisedValue(*group, "Name", localeSuffixes);
    if (app.name.empty())
        app.name = app.applicationId;
    return app;
}

std::vector<std::string> userLocaleSuffixes() {
    return platform::localeSuffixes(QLocale().name().toStdString()); // "de_CH"
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
