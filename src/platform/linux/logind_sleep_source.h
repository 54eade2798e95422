#pragma once

#include "platform/lifecycle_event_source.h"

#include <QDBusConnection>

namespace tintwell::platform {

/// Resume from sleep: logind's `PrepareForSleep(false)` on the system bus.
class LogindSleepSource final : public LifecycleEventSource {
    Q_OBJECT
public:
    /// `bus` is the system bus in the application; tests hand in a private bus.
    explicit LogindSleepSource(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);
    ~LogindSleepSource() override;

    bool start() override;
    void stop() override;
    QString description() const override;

private Q_SLOTS:
    void onPrepareForSleep(bool goingToSleep);

private:
    QDBusConnection bus_;
    bool started_ = false;
    bool unavailableLogged_ = false;
};

} // namespace tintwell::platform
