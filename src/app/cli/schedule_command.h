#pragma once

#include "app/cli/command_line.h"
#include "ui/model/day_schedule.h"

#include <ostream>

namespace tintwell::app {

/// The day's schedule as text (events, then the Kelvin every 30 minutes) or as one JSON object
/// (events, then the Kelvin every 5 minutes).
void printSchedule(const ui::DaySchedule& day, bool json, std::ostream& out);

/// `--schedule`: the day given (default today, local time zone) for the stored place and settings.
int runSchedule(const CommandLine& cl, std::ostream& out);

} // namespace tintwell::app
