#pragma once

#include "platform/lifecycle_event_source.h"

#include <QByteArray>
#include <QPointer>
#include <QSocketNotifier>

struct xcb_connection_t;

namespace tintwell::platform {

/// Screens switched back on: the X screen-saver extension's ScreenSaverNotify with state Off. The
/// server also ends its screen saver when DPMS brings the monitors back, so this covers both.
/// Uses a connection of its own.
class ScreensaverWakeSource final : public LifecycleEventSource {
    Q_OBJECT
public:
    /// `display` as in $DISPLAY; empty for the environment's.
    explicit ScreensaverWakeSource(QByteArray display = {}, QObject* parent = nullptr);
    ~ScreensaverWakeSource() override;

    bool start() override;
    void stop() override;
    QString description() const override;

private:
    void onReadable();
    bool unavailable(const QString& why);

    QByteArray display_;
    xcb_connection_t* connection_ = nullptr;
    QPointer<QSocketNotifier> notifier_;
    unsigned char firstEvent_ = 0;
    bool unavailableLogged_ = false;
};

} // namespace tintwell::platform
