#pragma once

#include "platform/lifecycle_event_source.h"

#include <cstdint>

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QPointer>

namespace tintwell::platform {

/// Time-zone changes made by replacing or relinking /etc/localtime (timedatectl, a package
/// upgrade, `ln -sf`). Its directory is watched, because a replaced file loses its own watch, and
/// every directory change is filtered by comparing what the path names before and after.
class LocaltimeWatchSource final : public LifecycleEventSource {
    Q_OBJECT
public:
    explicit LocaltimeWatchSource(QString path = QStringLiteral("/etc/localtime"), QObject* parent = nullptr);
    ~LocaltimeWatchSource() override;

    bool start() override;
    void stop() override;
    QString description() const override;

    /// Compares the path with what it named at the last look and emits `occurred` when it differs;
    /// run for every change the watcher reports.
    void check();

private:
    /// What the path names: the link itself and the file it leads to.
    struct Identity {
        bool linkExists = false;
        QByteArray linkTarget;
        std::uint64_t linkInode = 0;
        bool fileExists = false;
        std::uint64_t fileDevice = 0;
        std::uint64_t fileInode = 0;
        std::int64_t fileSize = 0;
        std::int64_t fileModifiedNs = 0;
        bool operator==(const Identity&) const = default;
    };
    Identity identify() const;
    void watchFile();

    QString path_;
    QString directory_;
    QPointer<QFileSystemWatcher> watcher_;
    Identity last_;
    bool unavailableLogged_ = false;
};

} // namespace tintwell::platform
