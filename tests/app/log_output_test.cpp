#include "app/log_output.h"

#include <gtest/gtest.h>

namespace tintwell::app {
namespace {

TEST(LogOutput, GoesToTheJournalOnlyWhereNobodyReadsStandardError) {
    const struct {
        const char* what;
        LogEnvironment environment;
        LogTarget expected;
    } cases[] = {
        {"systemd unit", {"8:42", "8:42", false, false, true}, LogTarget::Journal},
        {"inherited JOURNAL_STREAM, redirected",
         {"8:42", "8:99", false, false, true},
         LogTarget::StandardError},
        {"desktop launcher", {"", "0:7", false, true, true}, LogTarget::Journal},
        {"terminal in a desktop", {"", "0:7", true, true, true}, LogTarget::StandardError},
        {"pipe outside a session", {"", "0:7", false, false, true}, LogTarget::StandardError},
        {"no journald", {"8:42", "8:42", false, true, false}, LogTarget::StandardError},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseLogTarget(c.environment), c.expected) << c.what;
}

} // namespace
} // namespace tintwell::app
