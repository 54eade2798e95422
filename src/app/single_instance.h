#pragma once

#include <optional>
#include <variant>

#include <QString>

#include <sys/types.h>

namespace tintwell::app {

/// One running application per lock file, where there is no X display to claim (the virtual
/// backend): an exclusive flock on a lock file that holds the owner's pid. The kernel drops the
/// lock when its holder exits, however it exits, so a stale file never blocks a later start.
class SingleInstance {
public:
    struct Acquired {};
    struct AlreadyRunning {
        std::optional<pid_t> pid; ///< the holder's, when it could be read
    };
    /// The lock could not be taken or checked at all (one line, for the log).
    struct Failed {
        QString message;
    };
    using Result = std::variant<Acquired, AlreadyRunning, Failed>;

    /// `lockPath` defaults to defaultLockPath().
    explicit SingleInstance(QString lockPath = defaultLockPath());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// Takes the lock and writes this process's pid into it, or says who holds it. The lock is
    /// kept until this object is destroyed.
    Result tryAcquire();

    const QString& lockPath() const { return lockPath_; }

    /// tintwell.lock in $XDG_RUNTIME_DIR, or in /tmp/tintwell-<uid> when that is unset or not an
    /// absolute path.
    static QString defaultLockPath();

private:
    QString lockPath_;
    int fd_ = -1;
};

} // namespace tintwell::app
