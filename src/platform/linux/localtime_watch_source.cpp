#include "platform/linux/localtime_watch_source.h"

#include "platform/linux/lifecycle_logging.h"

#include <QFile>
#include <QFileInfo>

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwell::platform {
namespace {

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

LocaltimeWatchSource::LocaltimeWatchSource(QString path, QObject* parent)
    : LifecycleEventSource(parent), path_(std::move(path)), directory_(QFileInfo(path_).absolutePath()) {}

LocaltimeWatchSource::~LocaltimeWatchSource() {
    stop();
}

QString LocaltimeWatchSource::description() const {
    return QStringLiteral("time zone changed (%1)").arg(path_);
}

bool LocaltimeWatchSource::start() {
    if (watcher_)
        return true;
    auto* watcher = new QFileSystemWatcher(this);
    if (!watcher->addPath(directory_)) {
        delete watcher;
        if (!std::exchange(unavailableLogged_, true))
            qCWarning(lcLifecycleSources)
                << "Cannot watch" << directory_ << "; a replaced" << path_ << "goes unnoticed";
        return false;
    }
    watcher_ = watcher;
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &LocaltimeWatchSource::check);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, &LocaltimeWatchSource::check);
    last_ = identify();
    watchFile();
    return true;
}

void LocaltimeWatchSource::stop() {
    if (watcher_) {
        watcher_->disconnect(this);
        watcher_->deleteLater();
        watcher_ = nullptr;
    }
}

void LocaltimeWatchSource::check() {
    if (!watcher_)
        return;
    const Identity now = identify();
    if (now == last_)
        return;
    last_ = now;
    watchFile();
    Q_EMIT occurred();
}

// A watch on the path follows the link to the file it named when the watch was made; after a
// relink that is the old zone's file, so the watch is renewed on every change.
void LocaltimeWatchSource::watchFile() {
    if (watcher_->files().contains(path_))
        watcher_->removePath(path_);
    if (last_.fileExists)
        watcher_->addPath(path_);
}

LocaltimeWatchSource::Identity LocaltimeWatchSource::identify() const {
    Identity id;
    const QByteArray native = QFile::encodeName(path_);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0) {
        id.linkExists = true;
        id.linkInode = st.st_ino;
        if (S_ISLNK(st.st_mode)) {
            char target[PATH_MAX];
            const ssize_t n = ::readlink(native.constData(), target, sizeof target);
            if (n > 0)
                id.linkTarget = QByteArray(target, int(n));
        }
    }
    if (::stat(native.constData(), &st) == 0) {
        id.fileExists = true;
        id.fileDevice = st.st_dev;
        id.fileInode = st.st_ino;
        id.fileSize = st.st_size;
        id.fileModifiedNs = nanoseconds(st.st_mtim);
    }
    return id;
}

} // namespace tintwell::platform
