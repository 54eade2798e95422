#pragma once

#include <QLoggingCategory>

namespace tintwell::platform {

// "tintwell.location", shared with the provider that drives these services.
Q_DECLARE_LOGGING_CATEGORY(lcLocationServices)

} // namespace tintwell::platform
