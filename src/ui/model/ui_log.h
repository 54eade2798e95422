#pragma once

#include <QLoggingCategory>

namespace tintwell::ui {

Q_DECLARE_LOGGING_CATEGORY(lcUi)

} // namespace tintwell::ui
