#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tintwell::settings {

/// Opaque bytes stored under a key; the settings keep JSON documents this way.
struct Data {
    std::string bytes;
    bool operator==(const Data&) const = default;
};

/// A stored value of a shape no typed accessor produces (an array, null, an object that is not
/// data…), typically from a hand-edited file. Kept verbatim as compact JSON so it survives rewrites.
struct ForeignValue {
    std::string json;
    bool operator==(const ForeignValue&) const = default;
};

/// One stored value. Integers and doubles are distinct kinds: a double stays a double even when
/// it is whole.
using Value = std::variant<bool, std::int64_t, double, std::string, Data, ForeignValue>;

/// Every key of a store with its value.
using Dictionary = std::map<std::string, Value>;

/// A typed key-value store shared by every part of the program that keeps something across runs.
/// Each part reads and writes only its own keys. Main thread only.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    /// The value under `key` in whatever kind it was stored; nothing when the key is missing.
    virtual std::optional<Value> object(const std::string& key) const = 0;
    /// Stores `value` under `key`, replacing whatever was there.
    virtual void set(const std::string& key, const Value& value) = 0;
    /// Removes `key`; nothing happens when it is missing.
    virtual void remove(const std::string& key) = 0;
    /// Every key with its value.
    virtual Dictionary dictionaryRepresentation() const = 0;
    /// Stores several values as one write where the store can, in the order given.
    virtual void setValues(const std::vector<std::pair<std::string, Value>>& values) {
        for (const auto& [key, value] : values)
            set(key, value);
    }

    /// Tells the store that the value under `key` could not be used, wholly or in part, and fell back
    /// to defaults: a store that can keeps a copy of it before anything is written over it.
    virtual void noteUndecodable(const std::string& key) { (void)key; }

    void setDouble(const std::string& key, double value) {
        set(key, Value(std::in_place_type<double>, value));
    }
    void setInteger(const std::string& key, std::int64_t value) {
        set(key, Value(std::in_place_type<std::int64_t>, value));
    }
    void setBool(const std::string& key, bool value) { set(key, Value(std::in_place_type<bool>, value)); }
    void setString(const std::string& key, const std::string& value) {
        set(key, Value(std::in_place_type<std::string>, value));
    }
    void setData(const std::string& key, const Data& value) {
        set(key, Value(std::in_place_type<Data>, value));
    }

    /// The string under `key`; nothing when missing or of another kind.
    std::optional<std::string> string(const std::string& key) const;
    /// The data under `key`; nothing when missing or of another kind.
    std::optional<Data> data(const std::string& key) const;
};

/// A store that lives only as long as the object, for tests. Records every write.
class InMemoryUserDefaults final : public UserDefaults {
public:
    InMemoryUserDefaults() = default;
    explicit InMemoryUserDefaults(Dictionary values) : values_(std::move(values)) {}

    std::optional<Value> object(const std::string& key) const override;
    void set(const std::string& key, const Value& value) override;
    void remove(const std::string& key) override;
    Dictionary dictionaryRepresentation() const override { return values_; }

    /// Keys written (set or removed) since construction or the last clearWrites(), in order.
    const std::vector<std::string>& writtenKeys() const { return writtenKeys_; }
    void clearWrites() { writtenKeys_.clear(); }

private:
    Dictionary values_;
    std::vector<std::string> writtenKeys_;
};

} // namespace tintwell::settings
