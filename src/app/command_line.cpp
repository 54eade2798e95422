#include "app/command_line.h"

#include <cmath>

#include <QCommandLineParser>
#include <QDateTime>
#include <QRegularExpression>

namespace tintwell::app {
namespace {

struct Options {
    QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{{"v", "version"}, "Show the version and exit."};
    QCommandLineOption print{"print", "Evaluate the schedule once and print the result."};
    QCommandLineOption listApps{"list-apps", "List the running applications: id, name, process id, whether "
                                             "frontmost, and the displays showing their windows."};
    QCommandLineOption json{"json",
                            "With --print, --list-displays, --list-apps, --get or --locate: print JSON."};
    QCommandLineOption location{
        "location", "With --print: evaluate for this place (degrees, north and east positive).", "LAT,LON"};
    QCommandLineOption at{"at",
                          "With --print: evaluate for this instant, ISO 8601 with a zone "
                          "(2024-06-21T12:00:00Z, 2024-06-21T14:00:00+02:00). Default: now.",
                          "TIME"};
    QCommandLineOption set{"set",
                           "Store settings: --set KEY=VALUE [KEY=VALUE…]. Keys as for --get; times ISO 8601 "
                           "with a zone, or none.",
                           "KEY=VALUE"};
    QCommandLineOption get{"get",
                           "Print the stored settings, or only the KEYs named after it (--get [KEY…]); "
                           "with --json as one object."};
    QCommandLineOption backend{"backend",
                               "Platform services: x11, or virtual[:N] for N in-memory displays (default 2). "
                               "Default: x11.",
                               "NAME"};

    QCommandLineOption listDisplays{"list-displays",
                                    "List the displays: identifier, name, key, bounds, main, "
                                    "the display it mirrors, gamma ramp size."};
    QCommandLineOption oneshot{"oneshot",
                               "Tint every display to this colour temperature once and exit; the tint "
                               "stays.",
                               "KELVIN"};
    QCommandLineOption brightness{"brightness", "With --oneshot: brightness from 0.1 to 1 (default 1).", "B"};
    QCommandLineOption gamma{"gamma", "With --oneshot: gamma from 0.1 to 10 (default 1).", "G"};
    QCommandLineOption reset{"reset", "Give every display identity transfer tables and exit."};
    QCommandLineOption locate{"locate",
                              "Find where this computer is (GeoClue, else the time zone's principal "
                              "city) and print latitude, longitude, source and accuracy."};
    QCommandLineOption save{"save", "With --locate: store the location found as the application would."};

    void addTo(QCommandLineParser& parser) const {
        parser.addOptions({help, version, print, json, location, at, backend, listDisplays, listApps, set,
                           get, oneshot, brightness, gamma, reset, locate, save});
    }
};

QString quoted(const QString& s) {
    return "\"" + s + "\"";
}

} // namespace

std::optional<double> parseNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<GeoLocation> parseLocation(const QString& text) {
    const QStringList parts = text.split(',');
    if (parts.size() != 2)
        return std::nullopt;
    const auto lat = parseNumber(parts[0]);
    const auto lon = parseNumber(parts[1]);
    if (!lat || !lon)
        return std::nullopt;
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
    return instantFromSecondsSinceEpoch(static_cast<double>(dt.toMSecsSinceEpoch()) / 1000.0);
}

std::optional<Backend> parseBackend(const QString& text) {
    if (text == "x11")
        return Backend{Backend::Kind::X11, 0};
    if (text == "virtual")
        return Backend{Backend::Kind::Virtual, 2};
    if (text.startsWith("virtual:")) {
        bool ok = false;
        const int n = text.mid(8).toInt(&ok);
        if (ok && n >= 0 && n <= 64)
            return Backend{Backend::Kind::Virtual, n};
    }
    return std::nullopt;
}

std::variant<CommandLine, UsageError> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    Options o;
    o.addTo(parser);
    if (!parser.parse(arguments))
        return UsageError{parser.errorText()};
    const bool settingsMode = parser.isSet(o.set) || parser.isSet(o.get);
    if (!parser.positionalArguments().isEmpty() && !settingsMode)
        return UsageError{"Unexpected argument " + quoted(parser.positionalArguments().first()) + "."};
    if (int(parser.isSet(o.print)) + int(parser.isSet(o.listApps)) + int(parser.isSet(o.set)) +
            int(parser.isSet(o.get)) + int(parser.isSet(o.locate)) >
        1)
        return UsageError{"Choose one of --print, --list-apps, --set, --get and --locate."};
    if (parser.isSet(o.save) && !parser.isSet(o.locate))
        return UsageError{"--save goes with --locate."};

    CommandLine cl;
    if (parser.isSet(o.help))
        cl.mode = Mode::Help;
    else if (parser.isSet(o.version))
        cl.mode = Mode::Version;
    else if (parser.isSet(o.print))
        cl.mode = Mode::Print;
    else if (parser.isSet(o.listApps))
        cl.mode = Mode::ListApps;
    else if (parser.isSet(o.listDisplays))
        cl.mode = Mode::ListDisplays;
    else if (parser.isSet(o.oneshot))
        cl.mode = Mode::Oneshot;
    else if (parser.isSet(o.reset))
        cl.mode = Mode::Reset;
    else if (parser.isSet(o.set))
        cl.mode = Mode::Set;
    else if (parser.isSet(o.get))
        cl.mode = Mode::Get;
    else if (parser.isSet(o.locate))
        cl.mode = Mode::Locate;
    else if (parser.optionNames() == QStringList{} || parser.optionNames() == QStringList{"backend"})
        cl.mode = Mode::Run;
    else
        return UsageError{"Nothing to do: options need a mode such as --print (see --help)."};

    cl.json = parser.isSet(o.json);
    cl.save = parser.isSet(o.save);
    if (cl.mode == Mode::Set) {
        cl.assignments = parser.values(o.set) + parser.positionalArguments();
    } else if (cl.mode == Mode::Get) {
        cl.keys = parser.positionalArguments();
    }
    if (parser.isSet(o.location)) {
        const QString text = parser.value(o.location);
        const auto loc = parseLocation(text);
        if (!loc)
            return UsageError{"Invalid location " + quoted(text) + ": expected LAT,LON in decimal degrees."};
        if (loc->latitude < -90 || loc->latitude > 90)
            return UsageError{"Invalid latitude " + quoted(text.split(",").value(0).trimmed()) +
                              ": must be between -90 and 90."};
        if (loc->longitude < -180 || loc->longitude > 180)
            return UsageError{"Invalid longitude " + quoted(text.split(",").value(1).trimmed()) +
                              ": must be between -180 and 180."};
        cl.location = loc;
    }
    if (parser.isSet(o.backend)) {
        const QString text = parser.value(o.backend);
        const auto backend = parseBackend(text);
        if (!backend)
            return UsageError{"Invalid backend " + quoted(text) +
                              ": expected x11, virtual or virtual:N (0 to 64)."};
        cl.backend = *backend;
    }
    if ((parser.isSet(o.brightness) || parser.isSet(o.gamma)) && !parser.isSet(o.oneshot))
        return UsageError{"--brightness and --gamma go with --oneshot."};
    const struct {
        const QCommandLineOption& option;
        const char* what;
        double low, high;
        double* into;
    } ranged[] = {{o.oneshot, "Kelvin value", 1000, 40000, &cl.oneshot.kelvin},
                  {o.brightness, "brightness", 0.1, 1, &cl.oneshot.brightness},
                  {o.gamma, "gamma", 0.1, 10, &cl.oneshot.gamma}};
    for (const auto& r : ranged) {
        if (!parser.isSet(r.option))
            continue;
        const QString text = parser.value(r.option);
        const auto value = parseNumber(text);
        if (!value || *value < r.low || *value > r.high)
            return UsageError{QString("Invalid %1 %2: expected a number from %3 to %4.")
                                  .arg(r.what, quoted(text))
                                  .arg(r.low)
                                  .arg(r.high)};
        *r.into = *value;
    }
    if (parser.isSet(o.at)) {
        const QString text = parser.value(o.at);
        cl.at = parseInstant(text);
        if (!cl.at)
            return UsageError{"Invalid time " + quoted(text) +
                              ": expected ISO 8601 with a zone, such as 2024-06-21T12:00:00Z."};
    }
    return cl;
}

QString helpText() {
    QCommandLineParser parser;
    Options o;
    o.addTo(parser);
    parser.setApplicationDescription(
        "Tintwell warms or cools every display by where the sun is at your location.\n"
        "Without options it runs the application.");
    return parser.helpText();
}

} // namespace tintwell::app
