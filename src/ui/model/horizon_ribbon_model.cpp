#include "ui/model/horizon_ribbon_model.h"

#include "core/scheduler_core.h"
#include "ui/model/text_formats.h"

#include <algorithm>
#include <cmath>

namespace tintwell::ui {

double HorizonRibbonModel::axisRadius() const {
    return std::isnan(transitionWidthDeg) ? 1.0 : std::max(transitionWidthDeg, 1.0);
}

std::vector<RibbonStop> HorizonRibbonModel::gradientStops() const {
    // A single stop has no location of its own (it would divide by zero), so it draws nothing.
    if (sampleCount < 2)
        return {};
    const double r = axisRadius();
    std::vector<RibbonStop> stops;
    stops.reserve(static_cast<std::size_t>(sampleCount));
    for (int i = 0; i < sampleCount; ++i) {
        const double u = static_cast<double>(i) / (sampleCount - 1);
        const double altitude = 2 * r * u - r;
        const double kelvin =
            core::SchedulerCore::curveKelvin(altitude, dayKelvin, nightKelvin, transitionWidthDeg);
        stops.push_back({core::ColorTemperature::rgbMultipliers(kelvin), u});
    }
    return stops;
}

double HorizonRibbonModel::dotFraction() const {
    const double r = axisRadius();
    const double f = (currentAltitude + r) / std::max(2 * r, 0.0001);
    return std::isnan(f) ? 0.5 : std::clamp(f, 0.0, 1.0);
}

double HorizonRibbonModel::dotOpacity() const {
    return std::abs(currentAltitude) <= axisRadius() ? 1.0 : 0.6;
}

QString HorizonRibbonModel::nowSummary() const {
    return QStringLiteral("now %1 K · ").arg(wholeNumber(currentKelvin)) +
           QString::asprintf("%+.1f°", currentAltitude);
}

QString HorizonRibbonModel::nightCaption() const {
    return wholeNumber(nightKelvin) + QStringLiteral(" K");
}

QString HorizonRibbonModel::dayCaption() const {
    return wholeNumber(dayKelvin) + QStringLiteral(" K");
}

} // namespace tintwell::ui
