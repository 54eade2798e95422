#include "settings/file_io.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwell::settings::fileio {

std::string configHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw && pw->pw_dir ? pw->pw_dir : ".";
    }
    return std::string(home) + "/.config";
}

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool makeDirectories(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (dir != "/" && dir != "." && !makeDirectories(parentOf(dir)))
        return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string writeTarget(const std::string& path) {
    std::string current = path;
    // The kernel's own limit on links followed; a loop ends here and the write then fails on it.
    for (int hops = 0; hops < 40; ++hops) {
        std::vector<char> buf(PATH_MAX);
        const ssize_t n = ::readlink(current.c_str(), buf.data(), buf.size() - 1);
        if (n < 0)
            return current; // not a link (or nothing there): this is where the file goes
        std::string next(buf.data(), static_cast<std::size_t>(n));
        if (!next.starts_with('/'))
            next = parentOf(current) + "/" + next;
        current = next;
    }
    return current;
}

ReadResult readRegularFile(const std::string& path, long maxSize, std::string& text, std::string& problem) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return ReadResult::Missing;
        problem = errnoText("cannot examine it");
        return ReadResult::Bad;
    }
    const auto notRegular = [&] {
        problem = "not a regular file";
        return ReadResult::Bad;
    };
    if (!S_ISREG(st.st_mode))
        return notRegular();
    // Non-blocking in case it was swapped for a FIFO since the check; fstat below catches that.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT)
            return ReadResult::Missing;
        problem = errnoText("cannot open it");
        return ReadResult::Bad;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return notRegular();
    }
    text.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            problem = errnoText("cannot read it");
            ::close(fd);
            return ReadResult::Bad;
        }
        text.append(buf, static_cast<std::size_t>(n));
        if (static_cast<long>(text.size()) > maxSize) {
            ::close(fd);
            problem = "larger than " + std::to_string(maxSize >> 20) + " MB";
            return ReadResult::Bad;
        }
    }
    ::close(fd);
    return ReadResult::Ok;
}

namespace {

// Calls `visit(i)` at each character of the JSON text outside its strings; `visit` returns the
// index of the last character it took (at least i), or text.size() to stop. The text may change
// under it.
template <typename Text, typename Visit>
void outsideStrings(Text& text, Visit visit) {
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else {
            i = visit(i);
        }
    }
}

} // namespace

bool nestedDeeperThan(const std::string& text, int limit) {
    int depth = 0;
    bool deeper = false;
    outsideStrings(text, [&](std::size_t i) {
        const char c = text[i];
        if (c == '[' || c == '{')
            deeper = ++depth > limit;
        else if (c == ']' || c == '}')
            --depth;
        return deeper ? text.size() : i;
    });
    return deeper;
}

int nullOverflowingNumbers(std::string& text) {
    int replaced = 0;
    outsideStrings(text, [&](std::size_t i) {
        const char c = text[i];
        if (c != '-' && (c < '0' || c > '9'))
            return i;
        const std::size_t end = text.find_first_not_of("0123456789+-.eE", i);
        const std::string_view token(text.data() + i, (end == std::string::npos ? text.size() : end) - i);
        double value = 0;
        const auto [rest, error] = std::from_chars(token.data(), token.data() + token.size(), value);
        // Out of range toward zero (1e-400) reads as 0; only a value too large is lost.
        const auto e = token.find_first_of("eE");
        const bool tooLarge = error == std::errc::result_out_of_range &&
                              (e == std::string_view::npos || token.substr(e + 1, 1) != "-");
        if (tooLarge && rest == token.data() + token.size()) {
            text.replace(i, token.size(), "null");
            ++replaced;
            return i + 3;
        }
        return i + token.size() - 1;
    });
    return replaced;
}

std::optional<std::string> firstFreeName(const std::string& base,
                                         const std::function<int(const std::string&)>& attempt) {
    for (int n = 1; n < 1000; ++n) {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        const int error = attempt(name);
        if (error == 0)
            return name;
        if (error != EEXIST) {
            errno = error;
            return std::nullopt;
        }
    }
    errno = EEXIST;
    return std::nullopt;
}

FileLock::FileLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd_ < 0) {
        error_ = errno == ELOOP ? "the lock " + path + " is a symbolic link; refusing to follow it"
                                : errnoText("cannot open the lock " + path);
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = "the lock " + path + " is not a regular file";
    } else {
        int r;
        while ((r = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (r == 0)
            return;
        error_ = errnoText("cannot lock " + path);
    }
    ::close(fd_);
    fd_ = -1;
}

FileLock::~FileLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string temporaryPrefix(const std::string& target) {
    return "." + baseNameOf(target) + ".tmp-";
}

void removeStaleTemporaries(const std::string& target) {
    const std::string dir = parentOf(target);
    const std::string prefix = temporaryPrefix(target);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix))
            continue;
        const std::string path = dir + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid())
            ::unlink(path.c_str());
    }
    ::closedir(d);
}

} // namespace tintwell::settings::fileio
