#include "settings/user_defaults.h"

namespace tintwell::settings {

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    const auto v = object(key);
    if (const auto* s = v ? std::get_if<std::string>(&*v) : nullptr)
        return *s;
    return std::nullopt;
}

std::optional<Data> UserDefaults::data(const std::string& key) const {
    const auto v = object(key);
    if (const auto* d = v ? std::get_if<Data>(&*v) : nullptr)
        return *d;
    return std::nullopt;
}

std::optional<Value> InMemoryUserDefaults::object(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

void InMemoryUserDefaults::set(const std::string& key, const Value& value) {
    values_.insert_or_assign(key, value);
    writtenKeys_.push_back(key);
}

void InMemoryUserDefaults::remove(const std::string& key) {
    values_.erase(key);
    writtenKeys_.push_back(key);
}

} // namespace tintwell::settings
