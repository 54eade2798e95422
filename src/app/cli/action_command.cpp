#include "app/cli/action_command.h"

#include "app/cli/instance_answer.h"
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
    const ActionRan* ran = instanceAnswer(answer, err);
    if (!ran)
        return 1;
    if (!ran->known) {
        err << "tintwell: the running instance does not know the action " << quoted(cl.action) << ".\n";
        return 1;
    }
    return 0;
}

} // namespace tintwell::app
