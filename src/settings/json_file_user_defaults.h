#pragma once

#include "settings/user_defaults.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>
#include <sys/types.h>

namespace tintwell::settings {

/// The user's defaults, kept in one pretty-printed JSON object that stays editable by hand:
/// booleans, integers, doubles (written with a decimal point even when whole) and strings as
/// themselves, data as {"data": "<base64>"}, anything else kept verbatim.
///
/// Every write reaches the disk before `set` or `remove` returns, atomically: a temporary file in
/// the same folder is written, flushed to disk and renamed over the old one, so a crash leaves the
/// old file or the new one. Before writing, changes another process made to the file since it was
/// last seen are folded in, under an advisory lock, so two processes do not drop each other's keys.
/// A file that cannot be read or parsed is never overwritten: it is moved aside first.
class JsonFileUserDefaults final : public UserDefaults {
public:
    /// $XDG_CONFIG_HOME/tintwell/defaults.json, or ~/.config/tintwell/defaults.json when
    /// XDG_CONFIG_HOME is unset, empty or relative.
    static std::string defaultPath();

    /// Loads `path`. A missing file is an empty store and nothing is created until the first write.
    /// An unreadable or unparsable file is moved to `<path>.unreadable-<UTC time>` with one log line,
    /// and the store starts empty.
    explicit JsonFileUserDefaults(std::string path = defaultPath());

    const std::string& path() const { return path_; }
    /// Where an unreadable file was moved, when that happened during this object's life.
    const std::optional<std::string>& movedAsidePath() const { return movedAside_; }
    /// Whether the last write reached the disk; the value is kept in memory either way.
    bool lastWriteSucceeded() const { return lastWriteSucceeded_; }
    /// Why the last write failed; empty after a success.
    const std::string& lastWriteError() const { return lastWriteError_; }

    std::optional<Value> object(const std::string& key) const override;
    void set(const std::string& key, const Value& value) override;
    void remove(const std::string& key) override;
    Dictionary dictionaryRepresentation() const override;
    /// One file write for all of them.
    void setValues(const std::vector<std::pair<std::string, Value>>& values) override;

    /// Called with the temporary file's path after it is complete and synced, just before the
    /// rename; lets tests stop a write at its most delicate point.
    void setBeforeRenameHookForTesting(std::function<void(const std::string&)> hook) {
        beforeRename_ = std::move(hook);
    }

private:
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        bool operator==(const FileStamp& o) const {
            return device == o.device && inode == o.inode && size == o.size &&
                   modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
        }
    };
    enum class ReadStatus { Missing, Ok, Bad };

    ReadStatus readFile(nlohmann::json& document, std::string& problem) const;
    std::optional<FileStamp> currentStamp() const;
    bool moveAside(const std::string& problem);
    void commit(const std::function<void(nlohmann::json&)>& change);
    bool writeFile(std::string& error);

    std::string path_;
    nlohmann::json document_ = nlohmann::json::object();
    std::optional<FileStamp> stamp_;
    std::optional<std::string> movedAside_;
    bool writable_ = true;
    bool lastWriteSucceeded_ = true;
    std::string lastWriteError_;
    std::function<void(const std::string&)> beforeRename_;
};

} // namespace tintwell::settings
