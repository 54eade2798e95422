#include "platform/linux/lock_file_instance_claim.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwell::platform {
namespace {

QString systemError(const QString& what, int error) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
}

std::optional<pid_t> readPid(int fd) {
    char buffer[32] = {};
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    if (n <= 0)
        return std::nullopt;
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(buffer, buffer + n, pid);
    if (ec != std::errc() || end == buffer || *end != '\n' || pid <= 0)
        return std::nullopt;
    return pid;
}

// The fallback directory sits in /tmp, where anyone could have created it first; a lock there
// is only trusted in a directory that belongs to this user and that nobody else can write to.
std::optional<QString> checkLockDirectory(const QString& dir) {
    const QByteArray native = QFile::encodeName(dir);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return systemError(dir, errno);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return systemError(dir, errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 0022) != 0)
        return QStringLiteral("%1 is not a directory of this user closed to others").arg(dir);
    return std::nullopt;
}

} // namespace

QString LockFileInstanceClaim::defaultLockPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.startsWith(QLatin1Char('/')))
        return runtime + QStringLiteral("/tintwell.lock");
    return QStringLiteral("/tmp/tintwell-%1/tintwell.lock").arg(::getuid());
}

LockFileInstanceClaim::LockFileInstanceClaim(QString lockPath, QObject* parent)
    : InstanceClaim(parent), lockPath_(std::move(lockPath)) {}

LockFileInstanceClaim::~LockFileInstanceClaim() {
    if (fd_ >= 0)
        ::close(fd_);
}

InstanceClaim::Result LockFileInstanceClaim::tryClaim() {
    if (fd_ >= 0)
        return Claimed{};
    if (const auto error = checkLockDirectory(lockPath_.left(lockPath_.lastIndexOf(QLatin1Char('/')))))
        return Failed{*error};

    // O_NOFOLLOW: a planted symbolic link must not make us truncate someone else's file.
    const QByteArray native = QFile::encodeName(lockPath_);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Failed{systemError(lockPath_, errno)};

    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error != EWOULDBLOCK) {
            ::close(fd);
            return Failed{systemError(lockPath_, error)};
        }
        // The holder writes its pid right after taking the lock; give a racing start a moment.
        std::optional<pid_t> pid = readPid(fd);
        for (QDeadlineTimer deadline(200); !pid && !deadline.hasExpired(); pid = readPid(fd))
            QThread::msleep(5);
        ::close(fd);
        return AlreadyRunning{pid};
    }

    const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.constData(), size_t(text.size()), 0) != text.size()) {
        const int error = errno;
        ::close(fd);
        return Failed{systemError(lockPath_, error)};
    }
    fd_ = fd;
    return Claimed{};
}

} // namespace tintwell::platform
