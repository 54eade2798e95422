#pragma once

#include "settings/user_defaults.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tintwell::settings {

/// The user's defaults, kept in one pretty-printed JSON object that stays editable by hand:
/// booleans, integers, doubles (written with a decimal point even when whole) and strings as
/// themselves, data as {"data": "<base64>"}, anything else kept verbatim.
///
/// Several processes share the file (the application, the command line, a text editor). Every write
/// reaches the disk before `set` or `remove` returns, atomically (a temporary file renamed over the
/// old one), and under an advisory lock it re-reads the file and changes only the keys this object
/// changed since it last read them, so another writer's values are never replaced by stale ones.
/// A file that cannot be read (not JSON, not an object, nested too deeply, not a regular file) is
/// never overwritten: a writable store moves it aside first, a read-only one only reports it.
class JsonFileUserDefaults final : public UserDefaults {
public:
    enum class Access {
        ReadWrite,
        /// Never writes and never moves the file, which the user may be half-way through editing.
        ReadOnly,
    };

    /// Files nested deeper are unreadable; the settings need three levels.
    static constexpr int maxDepth = 32;
    /// Files larger than this are unreadable.
    static constexpr long maxSize = 16L << 20;

    /// $XDG_CONFIG_HOME/tintwell/defaults.json, or ~/.config/tintwell/defaults.json when
    /// XDG_CONFIG_HOME is unset, empty or relative.
    static std::string defaultPath();

    /// Loads `path`. A missing file is an empty store and nothing is created until the first write.
    /// An unreadable file starts an empty store with one log line; with ReadWrite it is also moved to
    /// `<path>.unreadable-<UTC time>`.
    explicit JsonFileUserDefaults(std::string path = defaultPath(), Access access = Access::ReadWrite);

    const std::string& path() const { return path_; }
    /// Where an unreadable file was moved, when that happened during this object's life.
    const std::optional<std::string>& movedAsidePath() const { return movedAside_; }
    /// Where the file was copied before a value the reader could not decode was first written over.
    const std::optional<std::string>& preservedCopyPath() const { return preservedCopy_; }
    /// Whether the last write reached the disk; the value is kept in memory either way.
    bool lastWriteSucceeded() const { return lastWriteSucceeded_; }
    /// Why the last write failed; empty after a success.
    const std::string& lastWriteError() const { return lastWriteError_; }
    /// Whether a failed write is logged (the default); off for a caller that reports it in its own
    /// words, so that one failure reads as one line.
    void setLogsWriteFailures(bool on) { logsWriteFailures_ = on; }

    /// Reads the file again, without moving it even when unreadable. True when what this store holds
    /// changed; values whose write failed are kept. A missing or unreadable file changes nothing.
    bool reload();

    std::optional<Value> object(const std::string& key) const override;
    void set(const std::string& key, const Value& value) override;
    void remove(const std::string& key) override;
    Dictionary dictionaryRepresentation() const override;
    /// One file write for all of them.
    void setValues(const std::vector<std::pair<std::string, Value>>& values) override;
    void noteUndecodable(const std::string& key) override;

    /// Called with the temporary file's path after it is complete and synced, just before the
    /// rename; lets tests stop a write at its most delicate point.
    void setBeforeRenameHookForTesting(std::function<void(const std::string&)> hook) {
        beforeRename_ = std::move(hook);
    }

private:
    /// A key to store, or to remove when the value is empty.
    using Change = std::pair<std::string, std::optional<nlohmann::json>>;
    enum class ReadStatus { Missing, Ok, Bad };
    struct FileContent {
        ReadStatus status = ReadStatus::Missing;
        nlohmann::json document = nlohmann::json::object(); ///< empty when the file is missing
        std::string text;
        std::string problem;
    };

    FileContent readFile() const;
    bool moveAside(const std::string& problem);
    bool preserveCopy(const std::string& text, std::string& error);
    void commit(const std::vector<Change>& changes);
    bool writeFile(const nlohmann::json& document, std::string& error);

    std::string path_;
    Access access_;
    nlohmann::json document_ = nlohmann::json::object();
    /// Changes whose write failed, written again with the next one.
    std::map<std::string, std::optional<nlohmann::json>> pending_;
    /// Raw values a reader could not decode, by key, as they were read.
    std::map<std::string, nlohmann::json> undecodable_;
    std::optional<std::string> movedAside_;
    std::optional<std::string> preservedCopy_;
    std::string lastReloadProblem_;
    bool writable_ = true;
    bool lastWriteSucceeded_ = true;
    bool logsWriteFailures_ = true;
    std::string lastWriteError_;
    std::function<void(const std::string&)> beforeRename_;
};

} // namespace tintwell::settings
