#include "ui/slider_definition.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tintwell::ui {

using settings::ProfileField;

QString SliderDefinition::formatValue(double value) const {
    return QString::asprintf(format, value);
}

QString SliderDefinition::stepperAccessibleName() const {
    return QStringLiteral("Adjust by ") + formatValue(step);
}

int SliderDefinition::positionCount() const {
    return static_cast<int>(std::lround((maximum - minimum) / step));
}

int SliderDefinition::positionOf(double value) const {
    if (std::isnan(value))
        return 0;
    return std::clamp(static_cast<int>(std::lround((value - minimum) / step)), 0, positionCount());
}

double SliderDefinition::valueAt(int position) const {
    // Rounded to the step's own precision so that 0.3 + 7 × 0.01 is stored as 0.37, not 0.37000000000000005.
    const double v = minimum + step * std::clamp(position, 0, positionCount());
    return std::round(v * 1000) / 1000;
}

const SliderDefinition& sliderDefinition(ProfileField field) {
    static const std::array<SliderDefinition, 6> definitions{{
        {ProfileField::DayKelvin, QStringLiteral("Day"), "%.0f K", 2500, 10000, 50, true, {}},
        {ProfileField::NightKelvin, QStringLiteral("Night"), "%.0f K", 1000, 6500, 50, true, {}},
        {ProfileField::TransitionWidthDeg, QStringLiteral("Twilight"), "%.1f°", 1, 40, 0.5, true,
         QStringLiteral("How gradually the screen warms across sunrise and sunset, measured in degrees of "
                        "solar altitude. Larger → longer, smoother transition.")},
        {ProfileField::Brightness, QStringLiteral("Brightness"), "%.2f", 0.3, 1.0, 0.01, false, {}},
        {ProfileField::Gamma, QStringLiteral("Gamma"), "%.2f", 0.6, 2.6, 0.05, false, {}},
        {ProfileField::ManualKelvin, QStringLiteral("Manual"), "%.0f K", 1000, 10000, 50, false, {}},
    }};
    return *std::find_if(definitions.begin(), definitions.end(),
                         [&](const SliderDefinition& s) { return s.field == field; });
}

} // namespace tintwell::ui
