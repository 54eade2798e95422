#pragma once

#include "platform/lifecycle_event_source.h"

#include <utility>

#include <QDBusConnection>
#include <QDBusMessage>

namespace tintwell::platform {

/// A lifecycle source fed by one D-Bus signal: subscribed on start(), unsubscribed on stop(); why it
/// could not subscribe is logged the first time only.
class DBusSignalSource : public LifecycleEventSource {
    Q_OBJECT
public:
    struct Signal {
        QString service, path, interface, name, signature;
    };

    ~DBusSignalSource() override;
    bool start() override;
    void stop() override;

protected:
    /// `peer` names the service in the log; `withoutIt` says what goes unnoticed when it cannot be
    /// followed.
    DBusSignalSource(QDBusConnection bus, Signal signal, QString peer, QString withoutIt, QObject* parent);

    /// One signal's arguments, while started.
    virtual void received(const QList<QVariant>& arguments) = 0;
    /// Just after subscribing.
    virtual void subscribed() {}
    /// True the first time only: for complaints made once per source.
    bool firstComplaint() { return !std::exchange(complained_, true); }

    QDBusConnection bus_;
    const Signal signal_;
    const QString peer_;
    const QString withoutIt_;

private Q_SLOTS:
    void onSignal(const QDBusMessage& message);

private:
    bool started_ = false;
    bool complained_ = false;
};

} // namespace tintwell::platform
