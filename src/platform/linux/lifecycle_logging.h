#pragma once

#include <QLoggingCategory>

namespace tintwell::platform {

// "tintwell.lifecycle", shared with the observer that reacts to these sources.
Q_DECLARE_LOGGING_CATEGORY(lcLifecycleSources)

} // namespace tintwell::platform
