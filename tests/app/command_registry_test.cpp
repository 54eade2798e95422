// Every mode of the registry, walked through the real parser: a new mode needs no test of its own.

#include "app/cli/command_registry.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace tintwell::app {
namespace {

QString longName(const QCommandLineOption& option) {
    return "--" + option.names().constLast();
}

/// The option as typed, with a value where it takes one; the value is fine for every option that
/// takes one today (a number, or an action's name), and refusing it would not be a refusal of the
/// option.
QStringList typed(const QCommandLineOption& option) {
    if (option.valueName().isEmpty())
        return {longName(option)};
    return {longName(option), option.names().contains("action") ? "pause" : "1000"};
}

bool isSelector(const QCommandLineOption& option) {
    return std::any_of(commands().begin(), commands().end(), [&](const Command& command) {
        return command.selector && command.selector->option.names() == option.names();
    });
}

TEST(CommandRegistry, EveryModeIsChosenByItsOptionAndTakesOnlyItsOwnOptions) {
    for (const Command& command : commands()) {
        ASSERT_NE(command.run, nullptr);
        const QStringList chosen =
            QStringList{"tintwell"} + (command.selector ? typed(command.selector->option) : QStringList());
        const std::string mode = chosen.join(' ').toStdString();
        const auto parsed = parseCommandLine(chosen);
        ASSERT_TRUE(std::holds_alternative<ParsedCommandLine>(parsed))
            << mode << ": " << std::get<UsageError>(parsed).message.toStdString();
        EXPECT_EQ(std::get<ParsedCommandLine>(parsed).command, &command) << mode;

        for (const QCommandLineOption& other : commandLineOptions()) {
            if (command.selector && other.names() == command.selector->option.names())
                continue;
            if (!command.selector && isSelector(other))
                continue; // it chooses its own mode
            const bool accepted =
                std::any_of(command.accepts.begin(), command.accepts.end(),
                            [&](const OptionRow* row) { return row->option.names() == other.names(); });
            const auto result = parseCommandLine(chosen + typed(other));
            const std::string label = mode + " " + typed(other).join(' ').toStdString();
            if (accepted) {
                // Its value may still be refused, but never the option itself.
                if (const auto* error = std::get_if<UsageError>(&result))
                    EXPECT_TRUE(error->message.startsWith("Invalid "))
                        << label << ": " << error->message.toStdString();
                else
                    EXPECT_EQ(std::get<ParsedCommandLine>(result).command, &command) << label;
                continue;
            }
            const auto* error = std::get_if<UsageError>(&result);
            ASSERT_NE(error, nullptr) << label;
            EXPECT_TRUE(error->message.contains(longName(other)))
                << label << ": " << error->message.toStdString();
        }
    }
}

} // namespace
} // namespace tintwell::app
