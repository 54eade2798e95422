#include "app/signal_handler.h"
#include "support/event_loop.h"

#include <csignal>

#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tintwell;

namespace {

class SignalHandlerTest : public ::testing::TestWithParam<int> {};

TEST_P(SignalHandlerTest, EndsTheEventLoopInsteadOfTheProcess) {
    auto& app = test::application();
    app::SignalHandler handler;
    ASSERT_TRUE(handler.isInstalled());
    QSignalSpy requested(&handler, &app::SignalHandler::terminationRequested);
    QTimer::singleShot(0, [] { std::raise(GetParam()); });
    QTimer::singleShot(5000, &handler,
                       [] { QCoreApplication::exit(99); }); // a watchdog, gone with the handler
    EXPECT_EQ(app.exec(), 0);                               // quit by the handler, not by the watchdog
    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(requested[0][0].toInt(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Termination, SignalHandlerTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

} // namespace
