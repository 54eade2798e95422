#pragma once

#include <chrono>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace tintwell::test {

/// The process's QCoreApplication, created on first use (the GoogleTest main creates none). Call it
/// before making timers, sockets, file watchers or D-Bus connections.
inline QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "tintwell-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *app;
}

/// Runs the event loop until `condition` holds or `timeout` passes; returns the condition's last value.
/// Between checks it waits in the event loop for at most 5 ms rather than spinning the processor.
template <typename Condition>
bool spinUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    application();
    const QDeadlineTimer deadline(timeout);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace tintwell::test
