#include "ui/model/desktop_entry_file.h"

#include "platform/desktop_entry_file.h"

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

std::filesystem::path browseStartFolder(const std::vector<std::filesystem::path>& folders) {
    if (folders.empty())
        return {};
    std::error_code error;
    std::filesystem::create_directories(folders.front(), error);
    for (const auto& folder : folders)
        if (std::filesystem::is_directory(folder, error))
            return folder;
    return folders.back();
}

} // namespace tintwell::ui
