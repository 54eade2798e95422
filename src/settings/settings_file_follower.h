#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace tintwell::settings {

class AppState;
class JsonFileUserDefaults;

/// Keeps a running application's settings in step with its settings file when another process
/// (the command line, a text editor) changes it: the change is read shortly after it lands and
/// assigned to `state`, so it goes through the same change signals as a change made inside.
///
/// Watches the file and its folder: editors that save by writing a new file and renaming it over
/// the old one leave a watch on the file itself pointing at a file that is gone. Main thread only.
class SettingsFileFollower : public QObject {
    Q_OBJECT
public:
    /// `defaults` and `state` must outlive the follower. Changes arriving within `settleMs` of each
    /// other are read once.
    SettingsFileFollower(JsonFileUserDefaults& defaults, AppState& state, int settleMs = 200,
                         QObject* parent = nullptr);

Q_SIGNALS:
    /// After a change of the file was read into the settings.
    void followed();

private:
    void watch();
    void readChanges();

    JsonFileUserDefaults& defaults_;
    AppState& state_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

} // namespace tintwell::settings
