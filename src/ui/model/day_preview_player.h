#pragma once

#include "core/instant.h"

#include <chrono>
#include <functional>

#include <QObject>
#include <QTimer>

namespace tintwell::ui {

/// Plays a span of time (a day) in a few seconds: on each frame of its timer it says which instant
/// of the span the elapsed share of the play time stands for, and it stops at the span's end.
class DayPreviewPlayer : public QObject {
    Q_OBJECT
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    static constexpr std::chrono::milliseconds defaultDuration{5000};
    static constexpr std::chrono::milliseconds defaultFrameInterval{40};

    explicit DayPreviewPlayer(QObject* parent = nullptr);

    /// Replaces the clock that measures play time (the steady clock by default).
    void setTimeSource(std::function<TimePoint()> now) { now_ = std::move(now); }
    void setDuration(std::chrono::milliseconds duration) { duration_ = duration; }
    void setFrameInterval(std::chrono::milliseconds interval) { timer_.setInterval(interval); }

    /// Starts from `from` (its first frame at once) and runs to `to`.
    void play(Instant from, Instant to);
    /// Stops without a last frame; `stopped` follows.
    void stop();
    bool isPlaying() const { return timer_.isActive(); }

Q_SIGNALS:
    /// The instant to show now.
    void frame(tintwell::Instant at);
    /// Played to the end, or stopped.
    void stopped();

private:
    void advance();

    std::function<TimePoint()> now_;
    std::chrono::milliseconds duration_ = defaultDuration;
    QTimer timer_;
    TimePoint startedAt_;
    Instant from_;
    Instant to_;
};

} // namespace tintwell::ui
