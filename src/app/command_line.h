#pragma once

#include "app/option_values.h"
#include "core/instant.h"
#include "core/value_records.h"

#include <optional>
#include <variant>

#include <QString>
#include <QStringList>

namespace tintwell::app {

enum class Mode {
    Help,
    Version,
    Print,
    ListDisplays,
    ListApps,
    Set,
    Get,
    Oneshot,
    Reset,
    CheckUpdates,
    Locate,
    Run
};

/// What the user asked for on the command line, validated.
struct CommandLine {
    Mode mode = Mode::Help;
    Backend backend;
    bool json = false;
    std::optional<GeoLocation> location;
    std::optional<Instant> at;
    core::Target oneshot;    ///< with Mode::Oneshot: the Kelvin, brightness and gamma to write
    QStringList assignments; ///< with Set: KEY=VALUE, unchecked
    QStringList keys;        ///< with Get: the keys asked for (none: all), unchecked
    bool save = false;       ///< with Locate: store the fix as the application would
};

/// Bad input: one line for standard error, naming the offending value.
struct UsageError {
    QString message;
};

/// One mode per run: the options given must all belong to it, each at most once.
std::variant<CommandLine, UsageError> parseCommandLine(const QStringList& arguments);

/// The text of --help.
QString helpText();

} // namespace tintwell::app
