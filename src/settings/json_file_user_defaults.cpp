#include "settings/json_file_user_defaults.h"

#include "settings/file_io.h"
#include "settings/settings_log.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <QByteArray>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwell::settings {
namespace {

using nlohmann::json;

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

// Stores each value, or removes its key when it has none.
void applyChanges(json& document, const std::map<std::string, std::optional<json>>& changes) {
    for (const auto& [key, value] : changes) {
        if (value)
            document[key] = *value;
        else
            document.erase(key);
    }
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
    return fileio::configHome() + "/tintwell/defaults.json";
}

JsonFileUserDefaults::JsonFileUserDefaults(std::string path, Access access)
    : path_(std::move(path)), access_(access), writable_(access == Access::ReadWrite) {
    FileContent file = readFile();
    if (file.status != ReadStatus::Bad) {
        document_ = std::move(file.document);
    } else if (access_ == Access::ReadOnly) {
        qCWarning(lcSettings).noquote()
            << QString::fromStdString("Settings file " + path_ + " could not be read (" + file.problem +
                                      "); using defaults and leaving it in place.");
    } else if (moveAside(file.problem)) {
        qCWarning(lcSettings).noquote()
            << QString::fromStdString("Settings file " + path_ + " could not be read (" + file.problem +
                                      "); moved to " + *movedAside_ + " and starting with defaults.");
    } else {
        writable_ = false;
        qCWarning(lcSettings).noquote()
            << QString::fromStdString("Settings file " + path_ + " could not be read (" + file.problem +
                                      ") nor moved aside; starting with defaults and leaving it untouched.");
    }
}

JsonFileUserDefaults::FileContent JsonFileUserDefaults::readFile() const {
    FileContent file;
    switch (fileio::readRegularFile(path_, maxSize, file.text, file.problem)) {
    case fileio::ReadResult::Missing:
        file.status = ReadStatus::Missing;
        return file;
    case fileio::ReadResult::Bad:
        file.status = ReadStatus::Bad;
        return file;
    case fileio::ReadResult::Ok:
        break;
    }
    file.status = ReadStatus::Bad;
    // Checked before parsing: whatever walks the document afterwards (the pretty-printer above all)
    // costs in proportion to the depth, up to exhausting the stack.
    if (fileio::nestedDeeperThan(file.text, maxDepth)) {
        file.problem = "nested deeper than " + std::to_string(maxDepth) + " levels";
        return file;
    }
    if (const int n = fileio::nullOverflowingNumbers(file.text))
        qCWarning(lcSettings).noquote() << QString::fromStdString(
            "Settings file " + path_ + ": " + std::to_string(n) + (n == 1 ? " number is" : " numbers are") +
            " too large to read; treated as invalid.");
    file.document = json::parse(file.text, nullptr, false);
    if (file.document.is_discarded())
        file.problem = "not valid JSON";
    else if (!file.document.is_object())
        file.problem = "not a JSON object";
    else
        file.status = ReadStatus::Ok;
    return file;
}

bool JsonFileUserDefaults::moveAside(const std::string& problem) {
    // Never replace an earlier copy: each one may be the only trace of the user's settings.
    const auto target =
        fileio::firstFreeName(path_ + ".unreadable-" + utcStamp(), [&](const std::string& name) -> int {
            if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0)
                return 0;
            if (errno != EINVAL && errno != ENOSYS)
                return errno;
            // The file system cannot refuse to replace; check first, accepting the tiny race.
            struct stat st {};
            if (::lstat(name.c_str(), &st) == 0)
                return EEXIST;
            return ::rename(path_.c_str(), name.c_str()) == 0 ? 0 : errno;
        });
    if (!target) {
        qCWarning(lcSettings).noquote()
            << QString::fromStdString(fileio::errnoText("Cannot move aside " + path_ + " (" + problem + ")"));
        return false;
    }
    movedAside_ = target;
    return true;
}

bool JsonFileUserDefaults::preserveCopy(const std::string& text, std::string& error) {
    int fd = -1;
    const auto target =
        fileio::firstFreeName(path_ + ".unreadable-" + utcStamp(), [&](const std::string& name) -> int {
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            return fd >= 0 ? 0 : errno;
        });
    bool ok = target.has_value();
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR)
            ok = false;
        else if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0 && ::close(fd) != 0)
        ok = false;
    if (!ok) {
        error = fileio::errnoText("cannot keep a copy of " + path_ + " before replacing a value it holds");
        if (target)
            ::unlink(target->c_str());
        return false;
    }
    preservedCopy_ = target;
    return true;
}

bool JsonFileUserDefaults::reload() {
    FileContent file = readFile();
    if (file.status != ReadStatus::Ok) {
        // Half-way through an edit, or deleted: keep what is in force; a later read may succeed.
        if (file.status == ReadStatus::Bad && file.problem != lastReloadProblem_)
            qCWarning(lcSettings).noquote()
                << QString::fromStdString("Settings file " + path_ + " could not be read (" + file.problem +
                                          "); keeping the settings in force.");
        lastReloadProblem_ = file.problem;
        return false;
    }
    lastReloadProblem_.clear();
    applyChanges(file.document, pending_);
    if (file.document == document_)
        return false;
    document_ = std::move(file.document);
    undecodable_.clear();
    return true;
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
    commit({{key, toJson(value)}});
}

void JsonFileUserDefaults::setValues(const std::vector<std::pair<std::string, Value>>& values) {
    std::vector<Change> changes;
    for (const auto& [key, value] : values)
        changes.emplace_back(key, toJson(value));
    commit(changes);
}

void JsonFileUserDefaults::remove(const std::string& key) {
    commit({{key, std::nullopt}});
}

void JsonFileUserDefaults::noteUndecodable(const std::string& key) {
    if (const auto it = document_.find(key); it != document_.end())
        undecodable_.insert_or_assign(key, *it);
}

void JsonFileUserDefaults::commit(const std::vector<Change>& changes) {
    // Only what differs from what this process last read is its own change; writing the rest would
    // put stale values over another writer's.
    std::map<std::string, std::optional<json>> mine = pending_;
    for (const auto& [key, value] : changes) {
        const auto it = document_.find(key);
        const bool differs = value ? it == document_.end() || *it != *value : it != document_.end();
        if (differs || mine.contains(key))
            mine.insert_or_assign(key, value);
    }
    const auto succeed = [&] {
        pending_.clear();
        lastWriteSucceeded_ = true;
        lastWriteError_.clear();
    };
    // The value is kept in memory whatever happens on disk, so the running program stays consistent.
    const auto fail = [&](const std::string& error) {
        applyChanges(document_, mine);
        pending_ = mine;
        if (lastWriteSucceeded_ && logsWriteFailures_)
            qCWarning(lcSettings).noquote()
                << QString::fromStdString("Settings not saved to " + path_ + ": " + error);
        lastWriteSucceeded_ = false;
        lastWriteError_ = error;
    };
    if (mine.empty())
        return succeed();
    if (!writable_)
        return fail(access_ == Access::ReadOnly
                        ? "the settings were opened read-only"
                        : "the settings file could not be read and is left untouched");
    const std::string dir = fileio::parentOf(path_);
    if (!fileio::makeDirectories(dir))
        return fail(fileio::errnoText("cannot create folder " + dir));
    const fileio::FileLock lock(dir + "/." + fileio::baseNameOf(path_) + ".lock");
    if (!lock.held())
        return fail(lock.error());

    FileContent file = readFile();
    json onDisk = std::move(file.document);
    if (file.status == ReadStatus::Bad) {
        if (!moveAside(file.problem)) {
            writable_ = false;
            return fail("the settings file could not be read and is left untouched");
        }
        qCWarning(lcSettings).noquote()
            << QString::fromStdString("Settings file " + path_ + " changed and could not be read (" +
                                      file.problem + "); moved to " + *movedAside_ + ".");
        onDisk = document_; // the best knowledge left of the other keys
    }

    // The first write over a value a reader could not decode keeps the whole original file first.
    bool overwritesUndecodable = false;
    for (const auto& [key, value] : mine) {
        const auto noted = undecodable_.find(key);
        if (noted == undecodable_.end())
            continue;
        const auto it = onDisk.find(key);
        overwritesUndecodable = overwritesUndecodable || (it != onDisk.end() && *it == noted->second);
        undecodable_.erase(noted);
    }
    std::string error;
    if (overwritesUndecodable) {
        if (!preserveCopy(file.text, error))
            return fail(error);
        qCWarning(lcSettings).noquote() << QString::fromStdString(
            "Settings file " + path_ + " held values that could not be decoded; copied to " +
            *preservedCopy_ + " before replacing them.");
    }

    applyChanges(onDisk, mine);
    if (!writeFile(onDisk, error))
        return fail(error);
    applyChanges(document_, mine);
    succeed();
}

bool JsonFileUserDefaults::writeFile(const json& document, std::string& error) {
    // A settings file that is a symbolic link (kept with the user's dotfiles, say) is updated where
    // it points, so the link survives, even when what it points to does not exist yet.
    const std::string target = fileio::writeTarget(path_);
    const std::string dir = fileio::parentOf(target);
    if (!fileio::makeDirectories(dir)) {
        error = fileio::errnoText("cannot create folder " + dir);
        return false;
    }
    fileio::removeStaleTemporaries(target);
    std::string temp = dir + "/" + fileio::temporaryPrefix(target) + "XXXXXX";
    // mkostemp creates the file with mode 0600, which is what the settings file must have.
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = fileio::errnoText("cannot create a temporary file in " + dir);
        return false;
    }
    const std::string text = document.dump(4, ' ', false, json::error_handler_t::replace) + "\n";
    const auto abandon = [&](const std::string& what) {
        error = fileio::errnoText(what);
        ::unlink(temp.c_str());
        return false;
    };
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return abandon("cannot write " + temp);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        ::close(fd);
        return abandon("cannot flush " + temp);
    }
    if (::close(fd) != 0)
        return abandon("cannot close " + temp);
    if (beforeRename_)
        beforeRename_(temp);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return abandon("cannot replace " + target);
    // Make the rename itself durable.
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace tintwell::settings
