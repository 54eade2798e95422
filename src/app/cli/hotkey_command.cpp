#include "app/cli/hotkey_command.h"

#include "app/cli/user_settings.h"
#include "shortcuts/global_shortcuts.h"
#include "watchers/hotkey_names.h"

#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

namespace hotkeys = watchers::hotkeys;
using shortcuts::Shortcut;

std::string shortName(const shortcuts::Name& name) {
    return name.rawValue.substr(std::string_view("tintwell.").size());
}

std::string knownNames() {
    std::string names;
    for (const auto& n : hotkeys::allTintwell())
        names += (names.empty() ? "" : ", ") + shortName(n);
    return names;
}

} // namespace

int runHotkey(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out,
              std::ostream& err) {
    std::vector<std::pair<shortcuts::Name, std::optional<Shortcut>>> pending;
    for (const QString& pair : cl.hotkeys) {
        const auto eq = pair.indexOf('=');
        if (eq <= 0) {
            err << "tintwell: Invalid hotkey assignment " << quoted(pair) << ": expected NAME=COMBINATION.\n";
            return 2;
        }
        const QString name = pair.left(eq).trimmed();
        const auto slot = hotkeys::find(name.toStdString());
        if (!slot) {
            err << "tintwell: Unknown hotkey " << quoted(name) << "; known: " << knownNames() << ".\n";
            return 2;
        }
        const QString text = pair.mid(eq + 1).trimmed();
        if (text.isEmpty()) {
            pending.emplace_back(*slot, std::nullopt);
            continue;
        }
        const auto parsed = shortcuts::parseShortcut(text.toStdString());
        if (const auto* error = std::get_if<shortcuts::ParseError>(&parsed)) {
            err << "tintwell: Invalid combination for " << shortName(*slot) << ": " << error->message
                << ".\n";
            return 2;
        }
        const Shortcut shortcut = std::get<Shortcut>(parsed);
        if (const auto refused = shortcuts::refusedGlobally(shortcut)) {
            err << "tintwell: Invalid combination " << quoted(text) << " for " << shortName(*slot) << ": "
                << *refused << ".\n";
            return 2;
        }
        pending.emplace_back(*slot, shortcut);
    }
    if (pending.empty()) {
        err << "tintwell: --hotkey needs NAME=COMBINATION.\n";
        return 2;
    }

    shortcuts::GlobalShortcuts store(defaults, nullptr);
    for (const auto& [slot, shortcut] : pending)
        store.setShortcut(shortcut, slot);
    if (!defaults.lastWriteSucceeded()) {
        err << "tintwell: Could not save the settings: " << defaults.lastWriteError() << '\n';
        return 1;
    }
    (void)out;
    return 0;
}

int runHotkeys(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out) {
    const shortcuts::GlobalShortcuts store(defaults, nullptr);
    if (cl.json) {
        auto list = nlohmann::ordered_json::array();
        for (const auto& slot : hotkeys::allTintwell()) {
            nlohmann::ordered_json shortcut = nullptr;
            if (const auto s = store.getShortcut(slot))
                shortcut = {{"description", s->presentableDescription()},
                            {"carbonKeyCode", s->carbonKeyCode},
                            {"carbonModifiers", s->carbonModifiers}};
            list.push_back(
                {{"name", slot.rawValue}, {"label", hotkeys::label(slot)}, {"shortcut", shortcut}});
        }
        out << list.dump(2) << '\n';
        return 0;
    }
    for (const auto& slot : hotkeys::allTintwell()) {
        const auto s = store.getShortcut(slot);
        out << shortName(slot) << '=' << (s ? s->presentableDescription() : "") << '\n';
    }
    return 0;
}

int runHotkey(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    return runHotkey(cl, *writableDefaults(), out, err);
}

int runHotkeys(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    (void)err;
    return runHotkeys(cl, *readOnlyDefaults(), out);
}

} // namespace tintwell::app
