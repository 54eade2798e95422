#pragma once

#include "platform/lifecycle_event_source.h"

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

namespace tintwell::platform {

/// Time-zone changes announced by timedated: `PropertiesChanged` of org.freedesktop.timedate1
/// naming `Timezone`, on the system bus. timedated runs only while someone talks to it, which is
/// exactly when a zone is set through it.
class TimedateZoneSource final : public LifecycleEventSource {
    Q_OBJECT
public:
    /// `bus` is the system bus in the application; tests hand in a private bus.
    explicit TimedateZoneSource(QDBusConnection bus = QDBusConnection::systemBus(),
                                QObject* parent = nullptr);
    ~TimedateZoneSource() override;

    bool start() override;
    void stop() override;
    QString description() const override;

private Q_SLOTS:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    QDBusConnection bus_;
    bool started_ = false;
    bool unavailableLogged_ = false;
};

} // namespace tintwell::platform
