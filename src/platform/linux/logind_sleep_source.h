#pragma once

#include "platform/linux/dbus_signal_source.h"

namespace tintwell::platform {

/// Resume from sleep: logind's `PrepareForSleep(false)` on the system bus.
class LogindSleepSource final : public DBusSignalSource {
    Q_OBJECT
public:
    /// `bus` is the system bus in the application; tests hand in a private bus.
    explicit LogindSleepSource(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);

    QString description() const override { return QStringLiteral("resume from sleep"); }

private:
    void received(const QList<QVariant>& arguments) override;
    void subscribed() override;
};

} // namespace tintwell::platform
