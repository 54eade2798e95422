#pragma once

#include <QLoggingCategory>

namespace tintwell::settings {

/// "tintwell.settings": the defaults store and everything built on it.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

} // namespace tintwell::settings
