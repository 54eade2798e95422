#include "settings/settings_file_follower.h"

#include "settings/app_state.h"
#include "settings/file_io.h"
#include "settings/json_file_user_defaults.h"

#include <QFileInfo>

namespace tintwell::settings {

SettingsFileFollower::SettingsFileFollower(JsonFileUserDefaults& defaults, AppState& state, int settleMs,
                                           QObject* parent)
    : QObject(parent), defaults_(defaults), state_(state) {
    settle_.setSingleShot(true);
    settle_.setInterval(settleMs);
    connect(&settle_, &QTimer::timeout, this, &SettingsFileFollower::readChanges);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
    watch();
}

void SettingsFileFollower::watch() {
    // The file, where its links lead, and the nearest existing folder above each: a folder that does
    // not exist yet is watched through its parent until it appears.
    const std::string path = defaults_.path();
    QStringList files;
    QStringList folders;
    for (const std::string& p : {path, fileio::writeTarget(path)}) {
        if (QFileInfo::exists(QString::fromStdString(p)))
            files << QString::fromStdString(p);
        std::string dir = fileio::parentOf(p);
        while (!QFileInfo(QString::fromStdString(dir)).isDir() && dir != "/" && dir != ".")
            dir = fileio::parentOf(dir);
        folders << QFileInfo(QString::fromStdString(dir)).absoluteFilePath();
    }
    folders.removeDuplicates();
    // A watched file replaced by a rename leaves the watch on the old one: always watch afresh.
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    for (const QString& folder : watcher_.directories())
        if (!folders.contains(folder))
            watcher_.removePath(folder);
    for (const QString& folder : watcher_.directories())
        folders.removeAll(folder);
    if (!files.isEmpty())
        watcher_.addPaths(files);
    if (!folders.isEmpty())
        watcher_.addPaths(folders);
}

void SettingsFileFollower::readChanges() {
    watch();
    if (!defaults_.reload())
        return;
    state_.reload();
    Q_EMIT followed();
}

} // namespace tintwell::settings
