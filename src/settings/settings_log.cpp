#include "settings/settings_log.h"

namespace tintwell::settings {

Q_LOGGING_CATEGORY(lcSettings, "tintwell.settings")

} // namespace tintwell::settings
