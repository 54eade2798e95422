#include "app/cli/option_values.h"

#include "platform/instant_date_time.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include <QDateTime>
#include <QRegularExpression>

namespace tintwell::app {
namespace {

std::string formatNumber(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

} // namespace

std::string quoted(const QString& text) {
    std::string out(1, '"');
    for (const char c : text.toStdString()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string refusalLine(std::string_view what, const QString& text, const Refusal& refusal) {
    std::string line = "Invalid ";
    line += what;
    line += ' ';
    line += quoted(text);
    line += ": ";
    line += refusal.why;
    line += '.';
    return line;
}

std::optional<double> parseNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Checked<double> checkNumber(const QString& text, double min, double max) {
    const auto n = parseNumber(text);
    if (!n || *n < min || *n > max)
        return Refusal{"expected a number from " + formatNumber(min) + " to " + formatNumber(max)};
    return *n;
}

Checked<GeoLocation> checkLocation(const QString& text) {
    const QStringList parts = text.split(',');
    const auto lat = parts.size() == 2 ? parseNumber(parts[0]) : std::nullopt;
    const auto lon = parts.size() == 2 ? parseNumber(parts[1]) : std::nullopt;
    if (!lat || !lon)
        return Refusal{"expected LAT,LON in decimal degrees"};
    if (*lat < -90 || *lat > 90)
        return Refusal{"latitude " + parts[0].trimmed().toStdString() + " is not between -90 and 90"};
    if (*lon < -180 || *lon > 180)
        return Refusal{"longitude " + parts[1].trimmed().toStdString() + " is not between -180 and 180"};
    return GeoLocation{*lat, *lon};
}

std::optional<Instant> parseInstant(const QString& text) {
    // A zone is required: a bare local time is ambiguous around daylight-saving changes.
    static const QRegularExpression zoned(
        R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}(:\d{2}(\.\d+)?)?(Z|[+-]\d{2}:?\d{2})$)");
    const QString trimmed = text.trimmed();
    if (!zoned.match(trimmed).hasMatch())
        return std::nullopt;
    const QDateTime dt = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!dt.isValid())
        return std::nullopt;
    return platform::toInstant(dt);
}

Checked<Instant> checkInstant(const QString& text) {
    if (const auto t = parseInstant(text))
        return *t;
    return Refusal{"expected ISO 8601 with a zone, such as 2024-06-21T12:00:00Z"};
}

Checked<QDate> checkDate(const QString& text) {
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (shape.match(text).hasMatch() && date.isValid())
        return date;
    return Refusal{"expected a day as YYYY-MM-DD, such as 2026-12-21"};
}

Checked<Backend> checkBackend(const QString& text) {
    using Kind = Session::Kind;
    for (const Kind kind : {Kind::X11, Kind::Gnome, Kind::Kde, Kind::Wayland, Kind::Virtual})
        if (text == backendName(kind))
            return Backend{kind, kind == Kind::Virtual ? 2 : 0};
    if (text.startsWith("virtual:")) {
        bool ok = false;
        const int n = text.mid(8).toInt(&ok);
        if (ok && n >= 0 && n <= 64)
            return Backend{Kind::Virtual, n};
    }
    return Refusal{"expected x11, wayland, gnome, kde, virtual or virtual:N (0 to 64)"};
}

} // namespace tintwell::app
