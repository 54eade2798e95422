#pragma once

#include "app/cli/option_values.h"
#include "core/instant.h"
#include "core/value_records.h"

#include <optional>
#include <variant>

#include <QCommandLineOption>
#include <QList>
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
    Status,
    Locate,
    Run,
    Hotkey,
    Hotkeys
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
    QStringList hotkeys;     ///< with Hotkey: NAME=COMBINATION, unchecked
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
/// The one-line description of the program that heads --help and the manual page.
QString programDescription();
/// Every option, in the order of --help; the manual page and shell completions are made from it.
QList<QCommandLineOption> commandLineOptions();

} // namespace tintwell::app
