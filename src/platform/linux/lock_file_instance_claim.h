#pragma once

#include "platform/instance_claim.h"

namespace tintwell::platform {

/// One running application per lock file, where there is no display to claim: an exclusive flock
/// on a lock file that holds the owner's pid. The kernel drops the lock when its holder exits,
/// however it exits, so a stale file never blocks a later start. Nothing here can be taken over or
/// lose a connection: neither signal is ever emitted.
class LockFileInstanceClaim final : public InstanceClaim {
    Q_OBJECT
public:
    /// `lockPath` defaults to defaultLockPath().
    explicit LockFileInstanceClaim(QString lockPath = defaultLockPath(), QObject* parent = nullptr);
    ~LockFileInstanceClaim() override;

    /// Takes the lock and writes this process's pid into it, or says who holds it.
    Result tryClaim() override;

    /// tintwell.lock in $XDG_RUNTIME_DIR, or in /tmp/tintwell-<uid> when that is unset or not an
    /// absolute path.
    static QString defaultLockPath();

private:
    QString lockPath_;
    int fd_ = -1;
};

} // namespace tintwell::platform
