#pragma once

#include <chrono>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace tintwell::test_support {

/// The process's application object, made on first use (timers and socket notifiers need one).
inline QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "tintwell-tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

/// Runs the event loop until `condition` holds or `timeout` passes; returns the condition.
template <class Condition>
bool spinUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    application();
    const QDeadlineTimer deadline(timeout);
    // Wakes the loop regularly so that conditions on outside state (another process) are re-checked.
    QTimer wake;
    wake.start(5);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace tintwell::test_support
