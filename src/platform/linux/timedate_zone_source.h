#pragma once

#include "platform/linux/dbus_signal_source.h"

namespace tintwell::platform {

/// Time-zone changes announced by timedated: `PropertiesChanged` of org.freedesktop.timedate1
/// naming `Timezone`, on the system bus. timedated runs only while someone talks to it, which is
/// exactly when a zone is set through it.
class TimedateZoneSource final : public DBusSignalSource {
    Q_OBJECT
public:
    /// `bus` is the system bus in the application; tests hand in a private bus.
    explicit TimedateZoneSource(QDBusConnection bus = QDBusConnection::systemBus(),
                                QObject* parent = nullptr);

    QString description() const override { return QStringLiteral("time zone changed (timedated)"); }

private:
    void received(const QList<QVariant>& arguments) override;
};

} // namespace tintwell::platform
