#pragma once

#include <QString>

namespace tintwell::ui {

/// The symbol the status icon shows: the warning sun while paused, the sun while it is on or above
/// the horizon (exactly 0° counts as day), the moon below it.
QString traySymbolName(bool paused, double altitudeDeg);

/// "Tintwell — 4215 K @ -3.4°": Kelvin rounded half away from zero, altitude to one decimal.
QString trayToolTip(double kelvin, double altitudeDeg);

/// The tooltip while no place is known, when the displays keep their calibration.
QString trayLocationNeededToolTip();

} // namespace tintwell::ui
