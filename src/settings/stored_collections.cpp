#include "settings/stored_collections.h"

#include "settings/file_io.h"
#include "settings/json_file_user_defaults.h"
#include "settings/settings_log.h"

namespace tintwell::settings {

void reportElement(UserDefaults& defaults, const std::string& key, const std::string& position,
                   const std::string& why) {
    qCWarning(lcSettings).noquote() << QString::fromStdString(key + ", " + position + ": " + why);
    defaults.noteUndecodable(key);
}

std::optional<nlohmann::json> readStoredJson(UserDefaults& defaults, const std::string& key) {
    if (!defaults.object(key))
        return std::nullopt;
    const auto data = defaults.data(key);
    if (!data) {
        reportElement(defaults, key, "whole", "skipped: not data");
        return std::nullopt;
    }
    if (fileio::nestedDeeperThan(data->bytes, JsonFileUserDefaults::maxDepth)) {
        reportElement(defaults, key, "whole", "skipped: nested too deeply");
        return std::nullopt;
    }
    auto j = nlohmann::json::parse(data->bytes, nullptr, false);
    if (j.is_discarded()) {
        reportElement(defaults, key, "whole", "skipped: not valid JSON");
        return std::nullopt;
    }
    return j;
}

} // namespace tintwell::settings
