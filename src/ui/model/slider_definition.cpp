#include "ui/model/slider_definition.h"

#include "core/setting_table.h"

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
    // The ends and the grid are the settings' own: a slider can reach every stored value, and only those.
    const auto row = [](ProfileField field, const core::SettingRow& setting, const char* title,
                        const char* format, bool hasStepper, const char* help = "") {
        return SliderDefinition{field,
                                QString::fromUtf8(title),
                                format,
                                setting.range.min,
                                setting.range.max,
                                setting.range.step,
                                hasStepper,
                                QString::fromUtf8(help)};
    };
    using core::setting;
    static const std::array<SliderDefinition, 6> definitions{
        row(ProfileField::DayKelvin, setting("dayKelvin"), "Day", "%.0f K", true),
        row(ProfileField::NightKelvin, setting("nightKelvin"), "Night", "%.0f K", true),
        row(ProfileField::TransitionWidthDeg, setting("transitionWidthDeg"), "Twilight", "%.1f°", true,
            "How gradually the screen warms across sunrise and sunset, measured in degrees of solar "
            "altitude. Larger → longer, smoother transition."),
        row(ProfileField::Brightness, setting("brightness"), "Brightness", "%.2f", false),
        row(ProfileField::Gamma, setting("gamma"), "Gamma", "%.2f", false),
        row(ProfileField::ManualKelvin, setting("manualKelvin"), "Manual", "%.0f K", false),
    };
    return *std::find_if(definitions.begin(), definitions.end(),
                         [&](const SliderDefinition& s) { return s.field == field; });
}

} // namespace tintwell::ui
