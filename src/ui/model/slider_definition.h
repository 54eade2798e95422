#pragma once

#include "settings/display_settings_editor.h"

#include <QString>

namespace tintwell::ui {

/// One slider row of the main screen: what it edits, how its value reads, and the grid it moves on.
struct SliderDefinition {
    settings::ProfileField field;
    QString title;
    const char* format; ///< printf format of the value text
    double minimum;
    double maximum;
    double step;
    bool hasStepper;
    QString help; ///< hover help; empty for none

    /// The value as the row prints it ("3400 K", "12.0°", "0.85").
    QString formatValue(double value) const;
    /// "Adjust by 50 K": the stepper's accessible name.
    QString stepperAccessibleName() const;
    /// Number of steps from the minimum to the maximum.
    int positionCount() const;
    /// The step nearest to `value`, held inside the range.
    int positionOf(double value) const;
    /// The value at step `position`.
    double valueAt(int position) const;
};

/// The row for `field`: Day, Night, Twilight, Brightness, Gamma or Manual.
const SliderDefinition& sliderDefinition(settings::ProfileField field);

} // namespace tintwell::ui
