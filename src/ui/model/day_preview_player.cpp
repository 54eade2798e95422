#include "ui/model/day_preview_player.h"

#include <algorithm>

namespace tintwell::ui {

DayPreviewPlayer::DayPreviewPlayer(QObject* parent)
    : QObject(parent), now_([] { return std::chrono::steady_clock::now(); }) {
    timer_.setInterval(defaultFrameInterval);
    connect(&timer_, &QTimer::timeout, this, &DayPreviewPlayer::advance);
}

void DayPreviewPlayer::play(Instant from, Instant to) {
    from_ = from;
    to_ = to;
    startedAt_ = now_();
    timer_.start();
    Q_EMIT frame(from_);
}

void DayPreviewPlayer::stop() {
    if (!timer_.isActive())
        return;
    timer_.stop();
    Q_EMIT stopped();
}

void DayPreviewPlayer::advance() {
    // Elapsed time, not frames counted, decides where the play stands: late frames skip ahead
    // rather than stretching the play.
    const std::chrono::duration<double> elapsed = now_() - startedAt_;
    const double share =
        std::clamp(elapsed.count() / std::chrono::duration<double>(duration_).count(), 0.0, 1.0);
    Q_EMIT frame(from_ + (to_ - from_) * share);
    if (share >= 1)
        stop();
}

} // namespace tintwell::ui
