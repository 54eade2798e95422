#include "app/cli/action_command.h"

#include "app/bus/application_bus_client.h"
#include "watchers/hotkey_names.h"

namespace tintwell::app {

Checked<QString> checkAction(const QString& text) {
    if (text == "pause" || text == "resume" || watchers::hotkeys::find(text.toStdString()))
        return text;
    return Refusal{
        "expected togglePause, toggleManualOverride, nextProfile, previousProfile, warmer, cooler, "
        "pause or resume"};
}

int runAction(const CommandLine& cl, std::ostream& err) {
    const auto answer = requestAction(cl.action);
    if (std::holds_alternative<NotRunning>(answer)) {
        err << "Tintwell is not running.\n";
        return 1;
    }
    if (const auto* silent = std::get_if<NoAnswer>(&answer)) {
        err << "tintwell: the running instance did not answer: " << silent->message.toStdString() << '\n';
        return 1;
    }
    if (!std::get<ActionRan>(answer).known) {
        err << "tintwell: the running instance does not know the action " << quoted(cl.action) << ".\n";
        return 1;
    }
    return 0;
}

} // namespace tintwell::app
