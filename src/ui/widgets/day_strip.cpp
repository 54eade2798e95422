#include "ui/widgets/day_strip.h"

#include "core/color_temperature.h"
#include "ui/model/day_strip_layout.h"
#include "ui/widgets/painted_symbols.h"

#include <algorithm>
#include <cmath>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace tintwell::ui {
namespace {

constexpr int rowGap = 3;
constexpr int labelGap = 6;

QColor kelvinColor(double kelvin) {
    const auto m = core::ColorTemperature::rgbMultipliers(kelvin);
    return QColor::fromRgbF(static_cast<float>(m.r), static_cast<float>(m.g), static_cast<float>(m.b));
}

QFont smallFont(QFont f) {
    f.setPointSizeF(f.pointSizeF() * 0.85);
    return f;
}

} // namespace

DayStrip::DayStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dayStrip"));
    setAccessibleName(QStringLiteral("Today's schedule"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFont(smallFont(font()));
}

void DayStrip::setSchedule(const DaySchedule& day) {
    if (day == day_)
        return;
    const bool sameDay = day.start == day_.start && day.end == day_.end;
    day_ = day;
    if (!sameDay)
        cursor_.reset();
    update();
}

void DayStrip::setNow(std::optional<Instant> now) {
    if (now != now_) {
        now_ = now;
        update();
    }
}

void DayStrip::setPlayhead(std::optional<Instant> at) {
    if (at != playhead_) {
        playhead_ = at;
        update();
    }
}

int DayStrip::rowHeight() const {
    return fontMetrics().height();
}

QRect DayStrip::barRect() const {
    return {0, rowHeight() + rowGap, width(), barHeight};
}

int DayStrip::xOf(Instant t) const {
    return static_cast<int>(std::lround(dayStrip::fractionOf(day_, t) * (width() - 1)));
}

Instant DayStrip::instantAtX(int x) const {
    return dayStrip::instantAt(day_, width() > 1 ? static_cast<double>(x) / (width() - 1) : 0);
}

QSize DayStrip::sizeHint() const {
    return {280, 2 * rowHeight() + barHeight + 2 * rowGap};
}

QSize DayStrip::minimumSizeHint() const {
    return {160, sizeHint().height()};
}

bool DayStrip::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(e);
        if (!day_.samples.empty())
            QToolTip::showText(help->globalPos(), dayStrip::hoverText(day_, instantAtX(help->pos().x())),
                               this);
        return true;
    }
    return QWidget::event(e);
}

void DayStrip::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || day_.samples.empty())
        return QWidget::mousePressEvent(e);
    scrubbing_ = true;
    QToolTip::hideText();
    Q_EMIT scrubbed(instantAtX(e->position().toPoint().x()));
}

void DayStrip::mouseMoveEvent(QMouseEvent* e) {
    if (scrubbing_)
        Q_EMIT scrubbed(instantAtX(std::clamp(e->position().toPoint().x(), 0, width() - 1)));
    QWidget::mouseMoveEvent(e);
}

void DayStrip::mouseReleaseEvent(QMouseEvent* e) {
    if (scrubbing_ && e->button() == Qt::LeftButton) {
        scrubbing_ = false;
        Q_EMIT scrubEnded();
    }
    QWidget::mouseReleaseEvent(e);
}

void DayStrip::hideEvent(QHideEvent* e) {
    // A press whose release went to a closed popup ends with it.
    scrubbing_ = false;
    QWidget::hideEvent(e);
}

void DayStrip::focusInEvent(QFocusEvent* e) {
    if (!cursor_ && !day_.samples.empty())
        moveCursor(dayStrip::stepCursor(day_, now_.value_or(day_.start), 0));
    QWidget::focusInEvent(e);
}

void DayStrip::moveCursor(Instant at) {
    cursor_ = at;
    setAccessibleDescription(dayStrip::hoverText(day_, at));
    update();
    Q_EMIT cursorMoved(at);
}

void DayStrip::keyPressEvent(QKeyEvent* e) {
    if (day_.samples.empty())
        return QWidget::keyPressEvent(e);
    const Instant from = cursor_.value_or(now_.value_or(day_.start));
    const int unit = e->modifiers() & Qt::ShiftModifier ? 12 : 1;
    switch (e->key()) {
    case Qt::Key_Left:
        moveCursor(dayStrip::stepCursor(day_, from, -unit));
        break;
    case Qt::Key_Right:
        moveCursor(dayStrip::stepCursor(day_, from, unit));
        break;
    case Qt::Key_Home:
        moveCursor(day_.start);
        break;
    case Qt::Key_End:
        moveCursor(dayStrip::stepCursor(day_, day_.end, 0));
        break;
    default:
        return QWidget::keyPressEvent(e);
    }
}

void DayStrip::paintMarker(QPainter& p, Instant at, const QColor& fill) const {
    const QRect bar = barRect();
    const double x = xOf(at) + 0.5;
    p.setPen(QPen(withAlpha(Qt::black, 0.55), 3));
    p.drawLine(QPointF(x, bar.top() - 2), QPointF(x, bar.bottom() + 2));
    p.setPen(QPen(fill, 1.5));
    p.drawLine(QPointF(x, bar.top() - 2), QPointF(x, bar.bottom() + 2));
}

void DayStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    const QRect bar = barRect();
    const QFontMetrics fm = fontMetrics();
    if (day_.samples.empty())
        return;

    // The bar: one stop per sample, at its share of the day's real length.
    const QRectF strip = QRectF(bar).adjusted(0.25, 0.25, -0.25, -0.25);
    QLinearGradient gradient(strip.topLeft(), strip.topRight());
    for (const DaySample& s : day_.samples)
        gradient.setColorAt(dayStrip::fractionOf(day_, s.at), kelvinColor(s.kelvin));
    gradient.setColorAt(1, kelvinColor(day_.kelvinAt(day_.end)));
    QPainterPath shape;
    shape.addRoundedRect(strip, 4, 4);
    p.fillPath(shape, gradient);
    p.setPen(QPen(withAlpha(pal.color(QPalette::WindowText), 0.12), 0.5));
    p.drawPath(shape);

    // Hour ticks under the bar, labelled every six hours in the user's clock.
    const int labelTop = bar.bottom() + 1 + rowGap;
    const auto ticks = dayStrip::hourTicks(day_, dayStrip::usesTwelveHourClock());
    for (const auto& tick : ticks) {
        const double x = std::round(tick.fraction * (width() - 1)) + 0.5;
        const bool labelled = !tick.label.isEmpty();
        p.setPen(QPen(withAlpha(pal.color(QPalette::WindowText), labelled ? 0.45 : 0.25), 1));
        p.drawLine(QPointF(x, bar.bottom() - (labelled ? 5 : 3)),
                   QPointF(x, bar.bottom() + (labelled ? 2 : 0)));
        if (!labelled)
            continue;
        const int w = fm.horizontalAdvance(tick.label);
        const int left = std::clamp(static_cast<int>(x) - w / 2, 0, width() - w);
        p.setPen(pal.color(QPalette::PlaceholderText));
        p.drawText(QRect(left, labelTop, w, rowHeight()), Qt::AlignCenter, tick.label);
    }

    // The edges of the changes above the bar, moved apart where they would overlap, each joined
    // to its place on the bar; where there is no room, one near midnight goes.
    const auto events = dayStrip::labelledEvents(day_);
    std::vector<double> centers, widths;
    std::vector<QString> texts;
    for (const auto& e : events) {
        texts.push_back(dayStrip::eventTime(e.at));
        centers.push_back(xOf(e.at));
        widths.push_back(fm.horizontalAdvance(texts.back()));
    }
    const auto lefts = dayStrip::spreadLabels(centers, widths, width(), labelGap);
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (!lefts[i])
            continue;
        const double x = centers[i] + 0.5;
        p.setPen(QPen(withAlpha(pal.color(QPalette::WindowText), 0.5), 1));
        p.drawLine(QPointF(*lefts[i] + widths[i] / 2, rowHeight() - 1), QPointF(x, bar.top() + 3));
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(QRectF(*lefts[i], 0, widths[i], rowHeight() - 1), Qt::AlignCenter, texts[i]);
    }

    if (now_ && *now_ >= day_.start && *now_ < day_.end)
        paintMarker(p, *now_, Qt::white);
    if (playhead_)
        paintMarker(p, *playhead_, pal.color(QPalette::Highlight));
    if (hasFocus()) {
        if (cursor_)
            paintMarker(p, *cursor_, pal.color(QPalette::Highlight).lighter(130));
        p.setPen(QPen(pal.color(QPalette::Highlight), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(bar).adjusted(-1, -1, 1, 1), 5, 5);
    }
}

} // namespace tintwell::ui
