#include "settings/json_file_user_defaults.h"

#include "settings/settings_log.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QByteArray>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwell::settings {
namespace {

using nlohmann::json;

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

/// Holds an exclusive advisory lock for one read-merge-write cycle. Failing to lock is not fatal:
/// the write itself stays atomic, only a concurrent writer's keys could be missed.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FileLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

Value toValue(const json& j) {
    switch (j.type()) {
    case json::value_t::boolean:
        return Value(std::in_place_type<bool>, j.get<bool>());
    case json::value_t::number_integer:
        return Value(std::in_place_type<std::int64_t>, j.get<std::int64_t>());
    case json::value_t::number_unsigned: {
        const auto u = j.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(INT64_MAX))
            return Value(std::in_place_type<std::int64_t>, static_cast<std::int64_t>(u));
        break;
    }
    case json::value_t::number_float:
        return Value(std::in_place_type<double>, j.get<double>());
    case json::value_t::string:
        return Value(std::in_place_type<std::string>, j.get<std::string>());
    case json::value_t::object:
        if (j.size() == 1 && j.contains("data") && j["data"].is_string()) {
            const std::string& text = j["data"].get_ref<const std::string&>();
            const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(text),
                                                                QByteArray::AbortOnBase64DecodingErrors);
            if (decoded)
                return Value(std::in_place_type<Data>, Data{decoded.decoded.toStdString()});
        }
        break;
    default:
        break;
    }
    return Value(std::in_place_type<ForeignValue>,
                 ForeignValue{j.dump(-1, ' ', false, json::error_handler_t::replace)});
}

json toJson(const Value& v) {
    return std::visit(
        [](const auto& x) -> json {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, double>) {
                // JSON has no NaN or infinity; null is what a reader gets back either way.
                return std::isfinite(x) ? json(x) : json(nullptr);
            } else if constexpr (std::is_same_v<T, Data>) {
                return json{{"data", QByteArray::fromStdString(x.bytes).toBase64().toStdString()}};
            } else if constexpr (std::is_same_v<T, ForeignValue>) {
                return json::parse(x.json, nullptr, false);
            } else {
                return json(x);
            }
        },
        v);
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &tm);
    return buf;
}

} // namespace

std::string JsonFileUserDefaults::defaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw && pw->pw_dir ? pw->pw_dir : ".";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/tintwell/defaults.json";
}

JsonFileUserDefaults::JsonFileUserDefaults(std::string path) : path_(std::move(path)) {
    std::string problem;
    json loaded;
    const auto stamp = currentStamp();
    switch (readFile(loaded, problem)) {
    case ReadStatus::Ok:
        document_ = std::move(loaded);
        stamp_ = stamp;
        break;
    case ReadStatus::Missing:
        break;
    case ReadStatus::Bad:
        if (moveAside(problem)) {
            qCWarning(lcSettings).noquote()
                << QString::fromStdString("Settings file " + path_ + " could not be read (" + problem +
                                          "); moved to " + *movedAside_ + " and starting with defaults.");
        } else {
            writable_ = false;
            qCWarning(lcSettings).noquote()
                << QString::fromStdString("Settings file " + path_ + " could not be read (" + problem +
                                          ") nor moved aside; starting with defaults "
                                          "and leaving it untouched.");
        }
        break;
    }
}

std::optional<JsonFileUserDefaults::FileStamp> JsonFileUserDefaults::currentStamp() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0)
        return std::nullopt;
    return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

JsonFileUserDefaults::ReadStatus JsonFileUserDefaults::readFile(json& document, std::string& problem) const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ReadStatus::Missing;
        problem = errnoText("cannot open");
        return ReadStatus::Bad;
    }
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            problem = errnoText("cannot read");
            ::close(fd);
            return ReadStatus::Bad;
        }
        text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    document = json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        problem = "not valid JSON";
        return ReadStatus::Bad;
    }
    if (!document.is_object()) {
        problem = "not a JSON object";
        return ReadStatus::Bad;
    }
    return ReadStatus::Ok;
}

bool JsonFileUserDefaults::moveAside(const std::string& problem) {
    const std::string base = path_ + ".unreadable-" + utcStamp();
    for (int n = 1; n < 1000; ++n) {
        const std::string target = n == 1 ? base : base + "-" + std::to_string(n);
        // Never replace an earlier copy: each one may be the only trace of the user's settings.
        if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
            movedAside_ = target;
            return true;
        }
        if (errno == EEXIST)
            continue;
        if (errno == EINVAL || errno == ENOSYS) {
            // The file system cannot refuse to replace; check first, accepting the tiny race.
            struct stat st {};
            if (::lstat(target.c_str(), &st) == 0)
                continue;
            if (::rename(path_.c_str(), target.c_str()) == 0) {
                movedAside_ = target;
                return true;
            }
        }
        const std::string reason = std::strerror(errno);
        qCWarning(lcSettings).noquote()
            << QString::fromStdString("Cannot move aside " + path_ + " (" + problem + "): " + reason);
        return false;
    }
    return false;
}

std::optional<Value> JsonFileUserDefaults::object(const std::string& key) const {
    const auto it = document_.find(key);
    if (it == document_.end())
        return std::nullopt;
    return toValue(*it);
}

Dictionary JsonFileUserDefaults::dictionaryRepresentation() const {
    Dictionary all;
    for (const auto& [key, value] : document_.items())
        all.emplace(key, toValue(value));
    return all;
}

void JsonFileUserDefaults::set(const std::string& key, const Value& value) {
    commit([&](json& doc) { doc[key] = toJson(value); });
}

void JsonFileUserDefaults::setValues(const std::vector<std::pair<std::string, Value>>& values) {
    commit([&](json& doc) {
        for (const auto& [key, value] : values)
            doc[key] = toJson(value);
    });
}

void JsonFileUserDefaults::remove(const std::string& key) {
    commit([&](json& doc) { doc.erase(key); });
}

void JsonFileUserDefaults::commit(const std::function<void(json&)>& change) {
    // The value is kept in memory whatever happens on disk, so the running program stays consistent.
    const auto fail = [&](const std::string& error) {
        change(document_);
        if (lastWriteSucceeded_)
            qCWarning(lcSettings).noquote()
                << QString::fromStdString("Settings not saved to " + path_ + ": " + error);
        lastWriteSucceeded_ = false;
        lastWriteError_ = error;
    };
    static const std::string untouched = "the settings file could not be read and is left untouched";
    if (!writable_)
        return fail(untouched);
    const std::string dir = parentOf(path_);
    if (!makeDirectories(dir))
        return fail(errnoText("cannot create folder " + dir));
    FileLock lock(dir + "/." + baseNameOf(path_) + ".lock");

    // Another process (a second instance, the command line, an editor) may have rewritten the file
    // since it was last seen here; start from its content so that its keys survive this write.
    const auto stamp = currentStamp();
    if (stamp && stamp != stamp_) {
        json onDisk;
        std::string problem;
        switch (readFile(onDisk, problem)) {
        case ReadStatus::Ok:
            document_ = std::move(onDisk);
            break;
        case ReadStatus::Missing:
            break;
        case ReadStatus::Bad:
            if (!moveAside(problem)) {
                writable_ = false;
                return fail(untouched);
            }
            qCWarning(lcSettings).noquote()
                << QString::fromStdString("Settings file " + path_ + " changed and could not be read (" +
                                          problem + "); moved to " + *movedAside_ + ".");
            break;
        }
    }

    std::string error;
    json previous = document_;
    change(document_);
    // Re-assigning what the file already holds (sliders report equal values too) costs no write.
    if (stamp && stamp == stamp_ && document_ == previous) {
        lastWriteSucceeded_ = true;
        lastWriteError_.clear();
        return;
    }
    if (!writeFile(error)) {
        document_ = std::move(previous);
        return fail(error);
    }
    stamp_ = currentStamp();
    lastWriteSucceeded_ = true;
    lastWriteError_.clear();
}

bool JsonFileUserDefaults::writeFile(std::string& error) {
    // A settings file that is a symbolic link (kept with the user's dotfiles, say) is updated where
    // it points, so the link survives.
    std::string target = path_;
    struct stat link {};
    if (::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(path_.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const std::string dir = parentOf(target);
    std::string temp = dir + "/." + baseNameOf(target) + ".XXXXXX";
    // mkostemp creates the file with mode 0600, which is what the settings file must have.
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = errnoText("cannot create a temporary file in " + dir);
        return false;
    }
    const std::string text = document_.dump(4, ' ', false, json::error_handler_t::replace) + "\n";
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errnoText("cannot write " + temp);
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        error = errnoText("cannot flush " + temp);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    if (::close(fd) != 0) {
        error = errnoText("cannot close " + temp);
        ::unlink(temp.c_str());
        return false;
    }
    if (beforeRename_)
        beforeRename_(temp);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = errnoText("cannot replace " + target);
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace tintwell::settings
