#pragma once

// Turning the text of a command-line value into a value, or into the one line that says why not.
// Shared by the options of the command line and the settings of --set.

#include "app/platform_backend.h"
#include "core/instant.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <QDate>
#include <QString>

namespace tintwell::app {

struct GeoLocation {
    double latitude = 0;
    double longitude = 0;
};

/// Why a text was refused: the words that follow `Invalid <what> "<text>": `.
struct Refusal {
    std::string why;
};

template <class T>
using Checked = std::variant<T, Refusal>;

/// `text` in double quotes, with line breaks, other control characters, quotes and backslashes
/// escaped, so that a message quoting it stays on one line.
std::string quoted(const QString& text);
/// `Invalid <what> "<text>": <why>.` on one line.
std::string refusalLine(std::string_view what, const QString& text, const Refusal& refusal);

Checked<double> checkNumber(const QString& text, double min, double max);
/// "LAT,LON" in decimal degrees, each within its range.
Checked<GeoLocation> checkLocation(const QString& text);
/// ISO 8601 with a zone.
Checked<Instant> checkInstant(const QString& text);
/// A calendar day, YYYY-MM-DD.
Checked<QDate> checkDate(const QString& text);
/// x11, virtual or virtual:N.
Checked<Backend> checkBackend(const QString& text);

// The same, without the reason.
std::optional<double> parseNumber(const QString& text);
std::optional<Instant> parseInstant(const QString& text);

} // namespace tintwell::app
