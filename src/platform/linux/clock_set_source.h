#pragma once

#include "platform/lifecycle_event_source.h"

#include <QPointer>
#include <QSocketNotifier>

namespace tintwell::platform {

/// The system clock being set (by hand, by NTP stepping it, by resume): a realtime timerfd armed
/// with TFD_TIMER_CANCEL_ON_SET, whose reads fail with ECANCELED after every discontinuity.
class ClockSetSource final : public LifecycleEventSource {
    Q_OBJECT
public:
    explicit ClockSetSource(QObject* parent = nullptr);
    ~ClockSetSource() override;

    bool start() override;
    void stop() override;
    QString description() const override;

private:
    bool arm();
    void onReadable();
    void fail(const char* what, int error);

    int fd_ = -1;
    QPointer<QSocketNotifier> notifier_;
    bool unavailableLogged_ = false;
};

} // namespace tintwell::platform
