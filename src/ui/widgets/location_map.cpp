#include "ui/widgets/location_map.h"

#include "ui/model/map_projection.h"
#include "ui/widgets/painted_symbols.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tintwell::ui {

LocationMap::LocationMap(QWidget* parent) : QWidget(parent) {
    setObjectName("locationMap");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(80);
    pinAnimation_.setDuration(200);
    pinAnimation_.setEasingCurve(QEasingCurve::InOutQuad);
    pinAnimation_.setStartValue(QPointF(0, 0));
    pinAnimation_.setEndValue(QPointF(0, 0));
    connect(&pinAnimation_, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

void LocationMap::setCoordinates(double latitude, double longitude) {
    if (latitude == latitude_ && longitude == longitude_)
        return;
    const QPointF from = pinAnimation_.state() == QAbstractAnimation::Running
                             ? pinAnimation_.currentValue().toPointF()
                             : QPointF(longitude_, latitude_);
    latitude_ = latitude;
    longitude_ = longitude;
    pinAnimation_.stop();
    pinAnimation_.setStartValue(from);
    pinAnimation_.setEndValue(QPointF(longitude_, latitude_));
    if (isVisible())
        pinAnimation_.start();
    update();
}

void LocationMap::setInteractive(bool interactive) {
    interactive_ = interactive;
    if (!interactive_)
        hoverPoint_.reset();
    setCursor(interactive_ ? Qt::CrossCursor : Qt::ArrowCursor);
    update();
}

QPointF LocationMap::pinPosition() const {
    const QPointF geo = pinAnimation_.state() == QAbstractAnimation::Running
                            ? pinAnimation_.currentValue().toPointF()
                            : QPointF(longitude_, latitude_);
    return MapProjection::project({geo.y(), geo.x()}, size());
}

void LocationMap::mousePressEvent(QMouseEvent* event) {
    if (!interactive_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    pickAt(event->position());
}

void LocationMap::mouseMoveEvent(QMouseEvent* event) {
    if (!interactive_ || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    pickAt(event->position());
}

void LocationMap::mouseReleaseEvent(QMouseEvent* event) {
    if (!interactive_) {
        event->ignore();
        return;
    }
    hoverPoint_.reset();
    update();
}

void LocationMap::pickAt(const QPointF& pointer) {
    const QSizeF area = size();
    hoverPoint_ =
        QPointF(std::clamp(pointer.x(), 0.0, area.width()), std::clamp(pointer.y(), 0.0, area.height()));
    const GeoPoint place = MapProjection::pick(pointer, area);
    Q_EMIT latitudeEdited(place.lat);
    Q_EMIT longitudeEdited(place.lon);
    update();
}

void LocationMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    QPainterPath background;
    background.addRoundedRect(frame, 6, 6);
    painter.fillPath(background, QColor(0, 122, 255, 26));

    painter.save();
    painter.setClipPath(background);
    drawGraticule(painter);
    drawContinents(painter);
    painter.restore();

    const QColor primary = palette().color(QPalette::WindowText);
    painter.setPen(QPen(withAlpha(primary, 0.15), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(background);

    const QPointF pin = pinPosition();
    const QColor accent = palette().color(QPalette::Highlight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(accent, 0.55));
    painter.drawRect(QRectF(pin.x() - 0.5, 0, 1, height()));
    painter.drawRect(QRectF(0, pin.y() - 0.5, width(), 1));

    painter.setBrush(QColor(0, 0, 0, 64));
    painter.drawEllipse(pin + QPointF(0, 0.75), 6.25, 6.25);
    painter.setBrush(accent);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(pin, 5, 5);

    if (hoverPoint_)
        drawTooltip(painter);
}

void LocationMap::drawGraticule(QPainter& painter) const {
    const QColor primary = palette().color(QPalette::WindowText);
    const QSizeF area = size();
    for (int lat = -60; lat <= 60; lat += 30) {
        const double y = MapProjection::project({double(lat), 0}, area).y();
        painter.setPen(lat == 0 ? QPen(withAlpha(primary, 0.2), 0.8) : QPen(withAlpha(primary, 0.1), 0.5));
        painter.drawLine(QPointF(0, y), QPointF(area.width(), y));
    }
    for (int lon = -150; lon <= 150; lon += 30) {
        const double x = MapProjection::project({0, double(lon)}, area).x();
        painter.setPen(lon == 0 ? QPen(withAlpha(primary, 0.2), 0.8) : QPen(withAlpha(primary, 0.1), 0.5));
        painter.drawLine(QPointF(x, 0), QPointF(x, area.height()));
    }
}

void LocationMap::drawContinents(QPainter& painter) const {
    const QColor primary = palette().color(QPalette::WindowText);
    const QSizeF area = size();
    QPainterPath land;
    land.setFillRule(Qt::WindingFill);
    for (const GeoRing& ring : WorldOutline::continents()) {
        const GeoRing flat = unwrapAcrossAntimeridian(ring);
        double minLon = flat.front().lon;
        double maxLon = minLon;
        for (const GeoPoint& p : flat) {
            minLon = std::min(minLon, p.lon);
            maxLon = std::max(maxLon, p.lon);
        }
        // Outlines continued past ±180° are drawn again a globe's width away to fill the other edge.
        for (const double shift : {-360.0, 0.0, 360.0}) {
            if (maxLon + shift < -180 || minLon + shift > 180)
                continue;
            QPainterPath outline;
            outline.moveTo(MapProjection::project({flat.front().lat, flat.front().lon + shift}, area));
            for (std::size_t i = 1; i < flat.size(); ++i)
                outline.lineTo(MapProjection::project({flat[i].lat, flat[i].lon + shift}, area));
            outline.closeSubpath();
            land.addPath(outline);
        }
    }
    painter.fillPath(land, withAlpha(primary, 0.22));
    painter.strokePath(land, QPen(withAlpha(primary, 0.4), 0.5));
}

void LocationMap::drawTooltip(QPainter& painter) const {
    const GeoPoint place = MapProjection::inverse(*hoverPoint_, size());
    const QString text = QString::asprintf("%+.2f°, %+.2f°", place.lat, place.lon);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(std::max(7.0, QWidget::font().pointSizeF() - 2));
    painter.setFont(font);
    const QRectF textBox = painter.fontMetrics().boundingRect(text);
    const QSizeF box(textBox.width() + 10, textBox.height() + 4);
    const QPointF centre = MapProjection::tooltipCentre(*hoverPoint_, size());
    const QRectF bubble(centre - QPointF(box.width() / 2, box.height() / 2), box);
    painter.setPen(QPen(withAlpha(palette().color(QPalette::WindowText), 0.2), 0.5));
    painter.setBrush(withAlpha(palette().color(QPalette::Window), 0.95));
    painter.drawRoundedRect(bubble, 4, 4);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(bubble, Qt::AlignCenter, text);
}

} // namespace tintwell::ui
