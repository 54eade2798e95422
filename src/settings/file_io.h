#pragma once

// File-system steps of the settings file, each safe against what a user or another process may have
// put at a path: links, FIFOs, devices, folders, files growing without bound.

#include <functional>
#include <optional>
#include <string>

namespace tintwell::settings::fileio {

/// The user's configuration folder: $XDG_CONFIG_HOME when absolute, else .config in the home
/// folder ($HOME, or the password database's when that is unset).
std::string configHome();

std::string errnoText(const std::string& what);
std::string parentOf(const std::string& path);
std::string baseNameOf(const std::string& path);
/// Creates `dir` and its missing parents (mode 0700); true when it is a folder afterwards.
bool makeDirectories(const std::string& dir);

/// Where writing to `path` should land: `path` itself, or the end of the chain of symbolic links
/// it starts, whether or not that end exists yet.
std::string writeTarget(const std::string& path);

enum class ReadResult { Missing, Ok, Bad };
/// Reads a regular file of at most `maxSize` bytes into `text`. Anything else (a FIFO, a socket, a
/// device, a folder) is Bad with `problem` said, and is never opened for a blocking read.
ReadResult readRegularFile(const std::string& path, long maxSize, std::string& text, std::string& problem);

/// True when the JSON text opens more than `limit` arrays or objects inside one another.
bool nestedDeeperThan(const std::string& text, int limit);

/// Replaces each number of the JSON text too large for a double (1e400) with null, so that such a
/// value is one invalid value rather than a file that is not JSON. How many were replaced.
int nullOverflowingNumbers(std::string& text);

/// Calls `attempt` with `base`, `base-2`, `base-3`… until it returns 0 (done: that name is returned)
/// or an errno other than EEXIST (nothing is returned, errno kept).
std::optional<std::string> firstFreeName(const std::string& base,
                                         const std::function<int(const std::string&)>& attempt);

/// Holds an exclusive advisory lock on `path` for one read-merge-write cycle. A lock file that is a
/// link or not a regular file is refused rather than followed or created elsewhere.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

/// Prefix of the temporary files written next to `target`; what follows it is six random characters.
std::string temporaryPrefix(const std::string& target);
/// Removes temporary files of ours left next to `target` by a writer that died before its rename.
/// Call only under the lock, when no live writer can own one.
void removeStaleTemporaries(const std::string& target);

} // namespace tintwell::settings::fileio
