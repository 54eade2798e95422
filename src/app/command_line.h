#pragma once

#include "core/instant.h"
#include "core/value_records.h"

#include <optional>
#include <variant>

#include <QString>
#include <QStringList>

namespace tintwell::app {

enum class Mode { Help, Version, Print, ListDisplays, ListApps, Set, Get, Oneshot, Reset, Locate, Run };

struct GeoLocation {
    double latitude = 0;
    double longitude = 0;
};

/// Which implementation of the platform services to use.
struct Backend {
    enum class Kind { X11, Virtual };
    Kind kind = Kind::X11;
    int virtualDisplayCount = 2; ///< with Virtual: how many displays
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

std::variant<CommandLine, UsageError> parseCommandLine(const QStringList& arguments);

/// The text of --help.
QString helpText();

// Parsers for option values; each yields nothing for text it cannot accept.
std::optional<GeoLocation> parseLocation(const QString& text);
std::optional<Instant> parseInstant(const QString& text);
std::optional<double> parseNumber(const QString& text);
std::optional<Backend> parseBackend(const QString& text);

} // namespace tintwell::app
