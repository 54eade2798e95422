#pragma once

// Every mode of the program, each with the option that chooses it, the options that may go with
// it and the function it runs. The parser, --help, the manual page and the completions read it.

#include "app/cli/command_line.h"

#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include <QCommandLineOption>
#include <QList>

namespace tintwell::app {

/// Puts an option's value (empty for a flag) into the command line, or says why it cannot.
using Store = std::function<std::optional<Refusal>(const QString& text, CommandLine& cl)>;

/// One option as --help lists it and as the parser takes it.
struct OptionRow {
    QCommandLineOption option;
    const char* what = nullptr; ///< with a store for a value: how a refusal names the value
    Store store = nullptr;      ///< none: its mode's `arguments` takes its value, or it is a bare mode
    bool repeatable = false;    ///< may be given more than once; its values are collected
};

/// What a mode runs with besides the values: the program's arguments, for an application object
/// of its own, and its streams.
struct Invocation {
    int& argc;
    char** argv;
    std::ostream& out;
    std::ostream& err;
};

/// One mode per run.
struct Command {
    std::optional<OptionRow> selector = std::nullopt; ///< none: the mode run when no other is chosen
    std::vector<const OptionRow*> accepts = {};       ///< the other options that may go with it
    /// Takes the selector's values and the free arguments; none: free arguments are refused.
    void (*arguments)(const QStringList& values, const QStringList& free, CommandLine& cl) = nullptr;
    /// Made before it runs: the one-shot modes reach the desktop through Qt's event machinery.
    bool needsApplication = true;
    int (*run)(const CommandLine& cl, Invocation& io) = nullptr;
};

/// Every mode; the last one is chosen when no other is.
const std::vector<Command>& commands();
/// Every option that goes with a mode.
const std::vector<const OptionRow*>& modifierOptions();
/// Every option, in the order of --help; the manual page and shell completions are made from it.
QList<QCommandLineOption> commandLineOptions();

} // namespace tintwell::app
