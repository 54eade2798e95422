#pragma once

// A message bus of the test's own: a dbus-daemon that ends with this object.

#include "support/event_loop.h"

#include <QDBusConnection>
#include <QProcess>
#include <QString>

namespace tintwell::test {

class PrivateBus {
public:
    PrivateBus() {
        application();
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (daemon_.waitForStarted(5000) && spinUntil([&] { return daemon_.canReadLine(); }))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    /// Empty when dbus-daemon is missing or did not start.
    const QString& address() const { return address_; }
    /// The connection is closed with the bus, so that the next bus may take its name again.
    QDBusConnection connect(const QString& name) const {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    mutable QStringList names_;
};

} // namespace tintwell::test
