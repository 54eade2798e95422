#pragma once

#include <QObject>
#include <QString>

namespace tintwell::platform {

/// One kind of system event after which the displays must be tinted again: resume from sleep,
/// screens switched back on, the system clock set, the time zone changed.
///
/// Nothing is watched until `start()`. `occurred` is emitted on the thread that owns the object.
class LifecycleEventSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~LifecycleEventSource() override = default;

    /// Starts watching. False when the event cannot be watched here (no bus, no X server…); the
    /// reason is logged the first time only. Calling it again while started does nothing.
    virtual bool start() = 0;
    /// Stops watching; no `occurred` is emitted afterwards. Safe when not started.
    virtual void stop() = 0;
    /// What the event is, for the log ("resume from sleep", "time zone changed"…).
    virtual QString description() const = 0;

Q_SIGNALS:
    /// The event happened (once per event, whatever it says about its cause).
    void occurred();
};

} // namespace tintwell::platform
