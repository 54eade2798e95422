#pragma once

#include "ui/model/day_schedule.h"

#include <optional>

#include <QWidget>

namespace tintwell::ui {

/// The day drawn left to right in its colours: the times the morning and evening changes start and
/// end above it, hour ticks below, a "now" marker, and a play head while a preview runs. Hovering
/// tells the time and the Kelvin; pressing and dragging asks for a preview of the instant under
/// the pointer. With the keyboard focus, the arrow keys move a cursor five minutes at a time
/// (an hour with Shift; Home and End go to the day's ends).
class DayStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 22;

    explicit DayStrip(QWidget* parent = nullptr);

    const DaySchedule& schedule() const { return day_; }
    void setSchedule(const DaySchedule& day);
    /// The "now" marker; none, or an instant outside the day, hides it.
    void setNow(std::optional<Instant> now);
    /// The instant a preview shows; none hides the play head.
    void setPlayhead(std::optional<Instant> at);
    std::optional<Instant> cursor() const { return cursor_; }

    /// The colour bar inside the widget, in widget coordinates.
    QRect barRect() const;
    int xOf(Instant t) const;
    Instant instantAtX(int x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    /// Pressed or dragged to `at`.
    void scrubbed(tintwell::Instant at);
    /// Let go after scrubbing.
    void scrubEnded();
    /// The keyboard cursor moved.
    void cursorMoved(tintwell::Instant at);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int rowHeight() const;
    void moveCursor(Instant at);
    void paintMarker(QPainter& p, Instant at, const QColor& fill) const;

    DaySchedule day_;
    std::optional<Instant> now_;
    std::optional<Instant> playhead_;
    std::optional<Instant> cursor_;
    bool scrubbing_ = false;
};

} // namespace tintwell::ui
