#include "core/color_temperature.h"

#include <cmath>

namespace tintwell::core {
namespace {

double clampChannel(double v) {
    if (v <= 0.0)
        return 0.0;
    if (v > 255.0)
        return 255.0;
    return v;
}

float tableEntry(double v) {
    if (v <= 0.0)
        return 0.0f;
    if (v > 1.0)
        return 1.0f;
    return static_cast<float>(v);
}

} // namespace

ColorTemperature::Multipliers ColorTemperature::rgbMultipliers(double kelvin) {
    double t;
    if (kelvin <= 1000.0)
        t = 10.0;
    else if (kelvin > 40000.0)
        t = 400.0;
    else if (std::isnan(kelvin))
        t = 66.0; // an unknown temperature shows neutral white rather than poisoning the tables
    else
        t = kelvin / 100.0;

    const double red = t <= 66.0 ? 255.0 : clampChannel(329.698727446 * std::pow(t - 60.0, -0.1332047592));
    const double green = clampChannel(t <= 66.0 ? 99.4708025861 * std::log(t) - 161.1195681661
                                                : 288.1221695283 * std::pow(t - 60.0, -0.0755148492));
    double blue;
    if (t >= 66.0)
        blue = 255.0;
    else if (t <= 19.0)
        blue = 0.0;
    else
        blue = clampChannel(138.5177312231 * std::log(t - 10.0) - 305.0447927307);
    return {red / 255.0, green / 255.0, blue / 255.0};
}

TransferTables ColorTemperature::gammaRamp(double kelvin, double brightness, double gamma) {
    const Multipliers m = rgbMultipliers(kelvin);
    // NaN fails every comparison, so it is caught explicitly and treated as full brightness.
    double effectiveBrightness;
    if (std::isnan(brightness))
        effectiveBrightness = 1.0;
    else if (brightness <= 0.1)
        effectiveBrightness = 0.1;
    else
        effectiveBrightness = std::min(brightness, 1.0);
    const double effectiveGamma = (std::isnan(gamma) || gamma < 0.1) ? 0.1 : gamma;
    const double p = 1.0 / effectiveGamma;

    TransferTables tables;
    const double step = 1.0 / 255.0;
    for (int i = 0; i < 256; ++i) {
        const double x = i == 255 ? 1.0 : i * step;
        const double s = std::pow(x, p);
        tables.r[i] = tableEntry(effectiveBrightness * (m.r * s));
        tables.g[i] = tableEntry(effectiveBrightness * (m.g * s));
        tables.b[i] = tableEntry(effectiveBrightness * (m.b * s));
    }
    return tables;
}

TransferTable ColorTemperature::identityTable() {
    TransferTable table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<float>(i * (1.0 / 255.0));
    return table;
}

} // namespace tintwell::core
