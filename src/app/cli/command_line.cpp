#include "app/cli/command_line.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <QCommandLineParser>

namespace tintwell::app {
namespace {

/// Stores an option's value into the command line, or says why it cannot.
using Store = std::function<std::optional<Refusal>(const QString& text, CommandLine& cl)>;

struct OptionRow {
    QCommandLineOption option;
    const char* what = nullptr; ///< with a value: how a refusal names it
    Store store = nullptr;      ///< what it sets (given the value, or nothing for a flag); none for a mode
    bool repeatable = false;    ///< may be given more than once; its values are collected
};

template <class T>
Store into(std::function<Checked<T>(const QString&)> check, std::function<void(CommandLine&, T)> put) {
    return [check = std::move(check), put = std::move(put)](const QString& text,
                                                            CommandLine& cl) -> std::optional<Refusal> {
        auto checked = check(text);
        if (auto* refusal = std::get_if<Refusal>(&checked))
            return *refusal;
        put(cl, std::get<T>(std::move(checked)));
        return std::nullopt;
    };
}

Store number(double min, double max, double core::Target::*member) {
    return into<double>([min, max](const QString& t) { return checkNumber(t, min, max); },
                        [member](CommandLine& cl, double v) { cl.oneshot.*member = v; });
}

const std::vector<OptionRow>& optionTable() {
    static const std::vector<OptionRow> table{
        {{{"h", "help"}, "Show this help and exit."}},
        {{{"v", "version"}, "Show the version and exit."}},
        {{"print", "Evaluate the schedule once and print the result."}},
        {{"list-displays", "List the displays: identifier, name, key, bounds, main, the display it "
                           "mirrors, gamma ramp size."}},
        {{"list-apps", "List the running applications: id, name, process id, whether frontmost, and "
                       "the displays showing their windows."}},
        {{"set",
          "Store settings: --set KEY=VALUE [KEY=VALUE…]. Keys as for --get; times ISO 8601 with a zone, "
          "or none.",
          "KEY=VALUE"},
         "assignment",
         [](const QString& text, CommandLine& cl) -> std::optional<Refusal> {
             cl.assignments.prepend(text);
             return std::nullopt;
         }},
        {{"get", "Print the stored settings, or only the KEYs named after it (--get [KEY…]); with --json "
                 "as one object."}},
        {{"oneshot", "Tint every display to this colour temperature once and exit; the tint stays.",
          "KELVIN"},
         "Kelvin value",
         number(1000, 40000, &core::Target::kelvin)},
        {{"reset", "Give every display identity transfer tables and exit."}},
        {{"check-updates", "Check the update feed once on the stored channel and print what it offers; "
                           "downloads nothing."}},
        {{"hotkey",
          "Assign a global hotkey: --hotkey NAME=COMBINATION, e.g. warmer=Ctrl+Alt+Down (NAME: togglePause, "
          "toggleManualOverride, nextProfile, previousProfile, warmer, cooler); NAME= clears it. May be "
          "repeated.",
          "NAME=COMBINATION"},
         nullptr,
         nullptr,
         true},
        {{"hotkeys", "List the six hotkeys with their combinations; with --json as an array."}},
        {{"status",
          "Print the Kelvin, sun altitude, profile, app exception, pause and manual override of the "
          "running instance; exit 1 when none runs."}},
        {{"locate", "Find where this computer is (GeoClue, else the time zone's principal city) and print "
                    "latitude, longitude, source and accuracy."}},
        {{"save", "With --locate: store the location found as the application would."},
         nullptr,
         [](const QString&, CommandLine& cl) -> std::optional<Refusal> {
             cl.save = true;
             return std::nullopt;
         }},
        {{"json",
          "With --print, --list-displays, --list-apps, --get, --hotkeys, --check-updates, --locate or "
          "--status: print JSON."},
         nullptr,
         [](const QString&, CommandLine& cl) -> std::optional<Refusal> {
             cl.json = true;
             return std::nullopt;
         }},
        {{"location", "With --print: evaluate for this place (degrees, north and east positive).", "LAT,LON"},
         "location",
         into<GeoLocation>(checkLocation, [](CommandLine& cl, GeoLocation v) { cl.location = v; })},
        {{"at",
          "With --print: evaluate for this instant, ISO 8601 with a zone (2024-06-21T12:00:00Z, "
          "2024-06-21T14:00:00+02:00). Default: now.",
          "TIME"},
         "time",
         into<Instant>(checkInstant, [](CommandLine& cl, Instant v) { cl.at = v; })},
        {{"brightness", "With --oneshot: brightness from 0.1 to 1 (default 1).", "B"},
         "brightness",
         number(0.1, 1, &core::Target::brightness)},
        {{"gamma", "With --oneshot: gamma from 0.1 to 10 (default 1).", "G"},
         "gamma",
         number(0.1, 10, &core::Target::gamma)},
        {{"backend",
          "Platform services: x11, or virtual[:N] for N in-memory displays (default 2). Default: x11.",
          "NAME"},
         "backend",
         into<Backend>(checkBackend, [](CommandLine& cl, Backend v) { cl.backend = v; })},
    };
    return table;
}

enum class Arguments { None, Assignments, Keys, HotkeyAssignments };

/// One mode per run: the option that chooses it, the options that may go with it, and what the
/// free arguments after it are.
struct ModeRow {
    Mode mode;
    const char* option; ///< nullptr: chosen when no other mode is
    std::vector<const char*> allowed;
    Arguments arguments = Arguments::None;
};

const std::vector<ModeRow>& modeTable() {
    static const std::vector<ModeRow> table{
        {Mode::Help, "help", {}},
        {Mode::Version, "version", {}},
        {Mode::Print, "print", {"json", "location", "at", "backend"}},
        {Mode::ListDisplays, "list-displays", {"json", "backend"}},
        {Mode::ListApps, "list-apps", {"json", "backend"}},
        {Mode::Set, "set", {}, Arguments::Assignments},
        {Mode::Get, "get", {"json"}, Arguments::Keys},
        {Mode::Oneshot, "oneshot", {"brightness", "gamma", "backend"}},
        {Mode::Reset, "reset", {"backend"}},
        {Mode::CheckUpdates, "check-updates", {"json"}},
        {Mode::Status, "status", {"json"}},
        {Mode::Hotkey, "hotkey", {}, Arguments::HotkeyAssignments},
        {Mode::Hotkeys, "hotkeys", {"json"}},
        {Mode::Locate, "locate", {"json", "save"}},
        {Mode::Run, nullptr, {"backend"}},
    };
    return table;
}

QString longName(const OptionRow& row) {
    return "--" + row.option.names().constLast();
}

const OptionRow* rowNamed(const QString& name) {
    for (const auto& row : optionTable())
        if (row.option.names().contains(name))
            return &row;
    return nullptr;
}

UsageError usage(const std::string& line) {
    return UsageError{QString::fromStdString(line)};
}

void addOptions(QCommandLineParser& parser) {
    for (const auto& row : optionTable())
        parser.addOption(row.option);
}

} // namespace

std::variant<CommandLine, UsageError> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addOptions(parser);
    if (!parser.parse(arguments)) {
        // Qt's message quotes what was typed as is; keep it on one line.
        QString text = parser.errorText();
        text.replace('\n', "\\n");
        return UsageError{text};
    }

    // Each option in the order given, once.
    std::vector<const OptionRow*> given;
    for (const QString& name : parser.optionNames()) {
        const OptionRow* row = rowNamed(name);
        if (std::find(given.begin(), given.end(), row) != given.end()) {
            if (row->repeatable)
                continue;
            return usage(longName(*row).toStdString() + " is given more than once.");
        }
        given.push_back(row);
    }

    const ModeRow* mode = &modeTable().back();
    for (const OptionRow* row : given) {
        for (const ModeRow& m : modeTable()) {
            if (!m.option || row != rowNamed(m.option))
                continue;
            if (mode->option)
                return usage(longName(*rowNamed(mode->option)).toStdString() + " and " +
                             longName(*row).toStdString() + " cannot go together: one mode per run.");
            mode = &m;
        }
    }
    for (const OptionRow* row : given) {
        if (mode->option && row == rowNamed(mode->option))
            continue;
        const bool allowed = std::any_of(mode->allowed.begin(), mode->allowed.end(),
                                         [&](const char* name) { return rowNamed(name) == row; });
        if (allowed)
            continue;
        if (!mode->option)
            return usage(longName(*row).toStdString() + " needs a mode such as --print (see --help).");
        return usage(longName(*row).toStdString() + " does not go with " +
                     longName(*rowNamed(mode->option)).toStdString() + ".");
    }

    CommandLine cl;
    cl.mode = mode->mode;
    const QStringList positional = parser.positionalArguments();
    switch (mode->arguments) {
    case Arguments::None:
        if (!positional.isEmpty())
            return usage("Unexpected argument " + quoted(positional.first()) + ".");
        break;
    case Arguments::Assignments:
        cl.assignments = positional;
        break;
    case Arguments::Keys:
        cl.keys = positional;
        break;
    case Arguments::HotkeyAssignments:
        cl.hotkeys = parser.values(rowNamed(mode->option)->option) + positional;
        break;
    }
    for (const OptionRow* row : given) {
        if (!row->store)
            continue;
        const QString text = row->option.valueName().isEmpty() ? QString() : parser.value(row->option);
        if (const auto refusal = row->store(text, cl))
            return usage(refusalLine(row->what, text, *refusal));
    }
    return cl;
}

QString programDescription() {
    return "Tintwell warms or cools every display by where the sun is at your location.";
}

QList<QCommandLineOption> commandLineOptions() {
    QList<QCommandLineOption> options;
    for (const auto& row : optionTable())
        options.append(row.option);
    return options;
}

QString helpText() {
    QCommandLineParser parser;
    addOptions(parser);
    parser.setApplicationDescription(
        programDescription() +
        "\nWithout options it runs the application; otherwise choose one mode per run.");
    return parser.helpText();
}

} // namespace tintwell::app
