#include "ui/model/tray_icon_rules.h"

#include "ui/model/text_formats.h"

namespace tintwell::ui {

QString traySymbolName(bool paused, double altitudeDeg) {
    if (paused)
        return QStringLiteral("sun.max.trianglebadge.exclamationmark");
    return altitudeDeg >= 0 ? QStringLiteral("sun.max") : QStringLiteral("moon.stars");
}

QString trayToolTip(double kelvin, double altitudeDeg) {
    return QStringLiteral("Tintwell — %1 K @ %2°")
        .arg(wholeNumber(kelvin), QString::asprintf("%.1f", altitudeDeg));
}

QString trayLocationNeededToolTip() {
    return QStringLiteral("Tintwell — location needed: open Tintwell to set where you are");
}

} // namespace tintwell::ui
