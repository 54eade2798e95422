#pragma once

#include "app/cli/option_values.h"
#include "core/instant.h"
#include "core/value_records.h"

#include <optional>
#include <variant>

#include <QString>
#include <QStringList>

namespace tintwell::app {

/// The values given on the command line, checked; each mode reads those of the options it accepts.
struct CommandLine {
    Backend backend;
    bool json = false;
    std::optional<GeoLocation> location;
    std::optional<Instant> at;
    std::optional<QDate> date; ///< with --schedule: the day, in the user's time zone
    core::Target oneshot;      ///< with --oneshot: the Kelvin, brightness and gamma to write
    QStringList assignments;   ///< with --set: KEY=VALUE, unchecked
    QStringList keys;          ///< with --get: the keys asked for (none: all), unchecked
    QStringList hotkeys;       ///< with --hotkey: NAME=COMBINATION, unchecked
    bool save = false;         ///< with --locate: store the fix as the application would
    QString action;            ///< with --action: the action's name, checked
};

/// Bad input: one line for standard error, naming the offending value.
struct UsageError {
    QString message;
};

struct Command;

/// The mode chosen and the values that go with it.
struct ParsedCommandLine {
    const Command* command = nullptr; ///< a row of commands()
    CommandLine values;
};

/// One mode per run: the options given must all belong to it, each at most once.
std::variant<ParsedCommandLine, UsageError> parseCommandLine(const QStringList& arguments);

} // namespace tintwell::app
