#include "app/cli/command_line.h"

#include "app/cli/command_registry.h"

#include <algorithm>
#include <vector>

#include <QCommandLineParser>

namespace tintwell::app {
namespace {

QString longName(const OptionRow& row) {
    return "--" + row.option.names().constLast();
}

const OptionRow* rowNamed(const QString& name) {
    for (const Command& command : commands())
        if (command.selector && command.selector->option.names().contains(name))
            return &*command.selector;
    for (const OptionRow* row : modifierOptions())
        if (row->option.names().contains(name))
            return row;
    return nullptr;
}

UsageError usage(const std::string& line) {
    return UsageError{QString::fromStdString(line)};
}

} // namespace

std::variant<ParsedCommandLine, UsageError> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(commandLineOptions());
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

    const Command* mode = &commands().back();
    for (const OptionRow* row : given) {
        for (const Command& command : commands()) {
            if (!command.selector || row != &*command.selector)
                continue;
            if (mode->selector)
                return usage(longName(*mode->selector).toStdString() + " and " +
                             longName(*row).toStdString() + " cannot go together: one mode per run.");
            mode = &command;
        }
    }
    for (const OptionRow* row : given) {
        if (mode->selector && row == &*mode->selector)
            continue;
        if (std::find(mode->accepts.begin(), mode->accepts.end(), row) != mode->accepts.end())
            continue;
        if (!mode->selector)
            return usage(longName(*row).toStdString() + " needs a mode such as --print (see --help).");
        return usage(longName(*row).toStdString() + " does not go with " +
                     longName(*mode->selector).toStdString() + ".");
    }

    ParsedCommandLine parsed{mode, {}};
    CommandLine& cl = parsed.values;
    const QStringList free = parser.positionalArguments();
    if (mode->arguments)
        mode->arguments(mode->selector ? parser.values(mode->selector->option) : QStringList(), free, cl);
    else if (!free.isEmpty())
        return usage("Unexpected argument " + quoted(free.first()) + ".");
    for (const OptionRow* row : given) {
        if (!row->store)
            continue;
        const QString text = row->option.valueName().isEmpty() ? QString() : parser.value(row->option);
        if (const auto refusal = row->store(text, cl))
            return usage(refusalLine(row->what, text, *refusal));
    }
    return parsed;
}

} // namespace tintwell::app
