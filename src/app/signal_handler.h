#pragma once

#include <QObject>

class QSocketNotifier;

namespace tintwell::app {

/// Turns SIGINT, SIGTERM and SIGHUP into an orderly end of the event loop: the C handler only writes
/// the signal number into a pipe; the main thread reads it, emits `terminationRequested` and quits
/// the application, so that whoever owns the displays restores them after the loop returns.
/// One instance per process; the default dispositions come back when it is destroyed.
class SignalHandler : public QObject {
    Q_OBJECT
public:
    explicit SignalHandler(QObject* parent = nullptr);
    ~SignalHandler() override;

    /// False when the pipe or the handlers could not be installed (the signals then act as usual).
    bool isInstalled() const { return installed_; }

Q_SIGNALS:
    /// A termination signal arrived; emitted on the main thread just before the application quits.
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
};

} // namespace tintwell::app
