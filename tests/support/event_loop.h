#pragma once

#include <chrono>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tintwell::test {

/// The process's QCoreApplication, created on first use (the GoogleTest main creates none).
inline QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "tintwell-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *app;
}

/// Runs the event loop until `condition` holds or `timeout` passes; returns the condition's last value.
template <typename Condition>
bool spinUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    application();
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.hasExpired(timeout.count()))
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

} // namespace tintwell::test
