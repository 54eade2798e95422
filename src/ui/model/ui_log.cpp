#include "ui/model/ui_log.h"

namespace tintwell::ui {

Q_LOGGING_CATEGORY(lcUi, "tintwell.ui")

} // namespace tintwell::ui
