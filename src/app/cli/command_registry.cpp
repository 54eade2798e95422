#include "app/cli/command_registry.h"

#include "app/cli/action_command.h"
#include "app/cli/check_updates_command.h"
#include "app/cli/help_command.h"
#include "app/cli/hotkey_command.h"
#include "app/cli/list_apps_command.h"
#include "app/cli/list_displays_command.h"
#include "app/cli/locate_command.h"
#include "app/cli/oneshot_command.h"
#include "app/cli/print_command.h"
#include "app/cli/run_command.h"
#include "app/cli/schedule_command.h"
#include "app/cli/settings_command.h"
#include "app/cli/status_command.h"
#include "app/cli/version_command.h"

namespace tintwell::app {
namespace {

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

Store flag(bool CommandLine::*member) {
    return [member](const QString&, CommandLine& cl) -> std::optional<Refusal> {
        cl.*member = true;
        return std::nullopt;
    };
}

/// The options that go with modes, in the order of --help.
struct Modifiers {
    OptionRow save, json, location, at, date, brightness, gamma, backend;
};

const Modifiers& modifiers() {
    static const Modifiers m{
        .save = {{"save", "With --locate: store the location found as the application would."},
                 nullptr,
                 flag(&CommandLine::save)},
        .json =
            {{"json",
              "With --print, --schedule, --list-displays, --list-apps, --get, --hotkeys, --check-updates, "
              "--locate or --status: print JSON."},
             nullptr,
             flag(&CommandLine::json)},
        .location =
            {{"location",
              "With --print or --schedule: evaluate for this place (degrees, north and east positive).",
              "LAT,LON"},
             "location",
             into<GeoLocation>(checkLocation, [](CommandLine& cl, GeoLocation v) { cl.location = v; })},
        .at = {{"at",
                "With --print: evaluate for this instant, ISO 8601 with a zone (2024-06-21T12:00:00Z, "
                "2024-06-21T14:00:00+02:00). Default: now.",
                "TIME"},
               "time",
               into<Instant>(checkInstant, [](CommandLine& cl, Instant v) { cl.at = v; })},
        .date = {{"date", "With --schedule: the day, YYYY-MM-DD in the local time zone. Default: today.",
                  "YYYY-MM-DD"},
                 "date",
                 into<QDate>(checkDate, [](CommandLine& cl, QDate v) { cl.date = v; })},
        .brightness = {{"brightness", "With --oneshot: brightness from 0.1 to 1 (default 1).", "B"},
                       "brightness",
                       number(0.1, 1, &core::Target::brightness)},
        .gamma = {{"gamma", "With --oneshot: gamma from 0.1 to 10 (default 1).", "G"},
                  "gamma",
                  number(0.1, 10, &core::Target::gamma)},
        .backend = {{"backend",
                     "Platform services: x11, wayland (a wlroots compositor's gamma control), gnome "
                     "(mutter's display configuration), kde (KWin's night "
                     "light), or virtual[:N] for N in-memory displays (default 2). Default: wayland when "
                     "WAYLAND_DISPLAY names a compositor that offers gamma control, else the desktop's own.",
                     "NAME"},
                    "backend",
                    into<Backend>(checkBackend, [](CommandLine& cl, Backend v) { cl.backend = v; })},
    };
    return m;
}

} // namespace

const std::vector<const OptionRow*>& modifierOptions() {
    const Modifiers& m = modifiers();
    static const std::vector<const OptionRow*> rows{&m.save, &m.json,       &m.location, &m.at,
                                                    &m.date, &m.brightness, &m.gamma,    &m.backend};
    return rows;
}

const std::vector<Command>& commands() {
    const Modifiers& m = modifiers();
    static const std::vector<Command> table{
        {.selector = OptionRow{{{"h", "help"}, "Show this help and exit."}},
         .run = [](const CommandLine&, Invocation& io) { return runHelp(io.out); }},
        {.selector = OptionRow{{{"v", "version"}, "Show the version and exit."}},
         .needsApplication = false,
         .run = [](const CommandLine&, Invocation& io) { return runVersion(io.out); }},
        {.selector = OptionRow{{"print", "Evaluate the schedule once and print the result."}},
         .accepts = {&m.json, &m.location, &m.at, &m.backend},
         .run = [](const CommandLine& cl, Invocation& io) { return runPrint(cl, io.out); }},
        {.selector = OptionRow{{"schedule", "Print the day's schedule: when the tint starts and stops "
                                            "changing, sunrise and sunset, and the Kelvin every 30 "
                                            "minutes (every 5 with --json)."}},
         .accepts = {&m.json, &m.date, &m.location},
         .run = [](const CommandLine& cl, Invocation& io) { return runSchedule(cl, io.out); }},
        {.selector =
             OptionRow{{"list-displays", "List the displays: identifier, name, key, bounds, main, the "
                                         "display it mirrors, gamma ramp size."}},
         .accepts = {&m.json, &m.backend},
         .run = [](const CommandLine& cl, Invocation& io) { return runListDisplays(cl, io.out, io.err); }},
        {.selector = OptionRow{{"list-apps", "List the running applications: id, name, process id, whether "
                                             "frontmost, and the displays showing their windows."}},
         .accepts = {&m.json, &m.backend},
         .run = [](const CommandLine& cl, Invocation& io) { return runListApps(cl, io.out, io.err); }},
        {.selector = OptionRow{{"set",
                                "Store settings: --set KEY=VALUE [KEY=VALUE…]. Keys as for --get; times ISO "
                                "8601 with a zone, or none.",
                                "KEY=VALUE"}},
         .arguments = [](const QStringList& values, const QStringList& free,
                         CommandLine& cl) { cl.assignments = values + free; },
         .run = [](const CommandLine& cl, Invocation& io) { return runSet(cl, io.out, io.err); }},
        {.selector = OptionRow{{"get", "Print the stored settings, or only the KEYs named after it (--get "
                                       "[KEY…]); with --json as one object."}},
         .accepts = {&m.json},
         .arguments = [](const QStringList&, const QStringList& free, CommandLine& cl) { cl.keys = free; },
         .run = [](const CommandLine& cl, Invocation& io) { return runGet(cl, io.out, io.err); }},
        {.selector = OptionRow{{"oneshot",
                                "Tint every display to this colour temperature once and exit; the "
                                "tint stays.",
                                "KELVIN"},
                               "Kelvin value",
                               number(1000, 40000, &core::Target::kelvin)},
         .accepts = {&m.brightness, &m.gamma, &m.backend},
         .run = [](const CommandLine& cl, Invocation& io) { return runOneshot(cl, io.err); }},
        {.selector = OptionRow{{"reset", "Give every display identity transfer tables and exit."}},
         .accepts = {&m.backend},
         .run = [](const CommandLine& cl, Invocation& io) { return runReset(cl, io.err); }},
        {.selector = OptionRow{{"check-updates", "Check the update feed once on the stored channel and print "
                                                 "what it offers; downloads nothing."}},
         .accepts = {&m.json},
         .run = [](const CommandLine& cl, Invocation& io) { return runCheckUpdates(cl, io.out); }},
        {.selector = OptionRow{{"hotkey",
                                "Assign a global hotkey: --hotkey NAME=COMBINATION, e.g. "
                                "warmer=Ctrl+Alt+Down (NAME: togglePause, toggleManualOverride, "
                                "nextProfile, previousProfile, warmer, cooler); NAME= clears it. May be "
                                "repeated.",
                                "NAME=COMBINATION"},
                               nullptr,
                               nullptr,
                               true},
         .arguments = [](const QStringList& values, const QStringList& free,
                         CommandLine& cl) { cl.hotkeys = values + free; },
         .run = [](const CommandLine& cl, Invocation& io) { return runHotkey(cl, io.out, io.err); }},
        {.selector = OptionRow{{"hotkeys", "List the six hotkeys with their combinations; with --json as an "
                                           "array."}},
         .accepts = {&m.json},
         .run = [](const CommandLine& cl, Invocation& io) { return runHotkeys(cl, io.out, io.err); }},
        {.selector = OptionRow{{"status", "Print the Kelvin, sun altitude, profile, app exception, pause and "
                                          "manual override of the running instance; exit 1 when none runs."}},
         .accepts = {&m.json},
         .run = [](const CommandLine& cl, Invocation& io) { return runStatus(cl, io.out, io.err); }},
        {.selector = OptionRow{{"action",
                                "Run an action in the running instance, as its hotkey would: "
                                "togglePause, toggleManualOverride, nextProfile, previousProfile, "
                                "warmer, cooler, pause or resume. For the compositor's own key bindings "
                                "on Wayland; exit 1 when no instance runs.",
                                "NAME"},
                               "action",
                               into<QString>(checkAction, [](CommandLine& cl, QString v) { cl.action = v; })},
         .run = [](const CommandLine& cl, Invocation& io) { return runAction(cl, io.err); }},
        {.selector = OptionRow{{"locate", "Find where this computer is (GeoClue, else the time zone's "
                                          "principal city) and print latitude, longitude, source and "
                                          "accuracy."}},
         .accepts = {&m.json, &m.save},
         .run = [](const CommandLine& cl, Invocation& io) { return runLocate(cl, io.out, io.err); }},
        // Without a mode: the application itself, which makes its own application object.
        {.accepts = {&m.backend},
         .needsApplication = false,
         .run = [](const CommandLine& cl,
                   Invocation& io) { return runApplication(io.argc, io.argv, cl, io.err); }},
    };
    return table;
}

QList<QCommandLineOption> commandLineOptions() {
    QList<QCommandLineOption> options;
    for (const Command& command : commands())
        if (command.selector)
            options.append(command.selector->option);
    for (const OptionRow* row : modifierOptions())
        options.append(row->option);
    return options;
}

} // namespace tintwell::app
