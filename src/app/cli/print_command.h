#pragma once

#include "app/cli/command_line.h"
#include "core/scheduler_core.h"
#include "core/solar_engine.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tintwell::app {

/// One evaluation of the schedule, as `--print` reports it.
struct Evaluation {
    double latitude = 0;
    double longitude = 0;
    Instant time;
    core::SolarEngine::Position sun;
    core::SchedulerCore::Output output;
    std::string settingsFile; ///< where the stored settings came from; empty when none were read
    /// No place known: the place above is the default, and the displays keep their calibration.
    bool locationNeeded = false;

    /// One online display as the application would treat it.
    struct Display {
        core::DisplayId id = 0;
        std::string name;
        std::optional<std::string> key;
    };
    std::vector<Display> displays;
};

/// Evaluates the schedule once for the given input (its time and place included).
Evaluation evaluate(const core::SchedulerCore::Input& input);

void printEvaluation(const Evaluation& e, bool json, std::ostream& out);

/// `--print`: evaluates with the stored settings, or the place and instant given.
int runPrint(const CommandLine& cl, std::ostream& out);

} // namespace tintwell::app
