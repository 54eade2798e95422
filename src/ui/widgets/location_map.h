#pragma once

#include "ui/model/world_outline.h"

#include <optional>

#include <QVariantAnimation>
#include <QWidget>

namespace tintwell::ui {

/// The offline world map of the location screen: outline, graticule, a pin and crosshair at the
/// stored place, and, when interactive, click or drag to pick a place with the coordinates under
/// the pointer shown beside it.
class LocationMap : public QWidget {
    Q_OBJECT
public:
    /// Width to height the map prefers (the globe's 360° by 180°).
    static constexpr double mapAspect = 2.0;

    explicit LocationMap(QWidget* parent = nullptr);

    double latitude() const { return latitude_; }
    double longitude() const { return longitude_; }
    /// Moves the pin (animated over 0.2 s); emits nothing.
    void setCoordinates(double latitude, double longitude);

    /// While false the map ignores the pointer.
    void setInteractive(bool interactive);

    /// The pointer during a drag, in the map's coordinates.
    std::optional<QPointF> hoverPoint() const { return hoverPoint_; }
    /// Where the pin is drawn now (it trails the stored place while it moves).
    QPointF pinPosition() const;

    QSize sizeHint() const override { return {288, 150}; }

Q_SIGNALS:
    /// A click or drag picked a place: latitude first, then longitude (degrees, 4 decimal places).
    void latitudeEdited(double latitude);
    void longitudeEdited(double longitude);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void pickAt(const QPointF& pointer);
    void drawGraticule(QPainter& painter) const;
    void drawContinents(QPainter& painter) const;
    void drawTooltip(QPainter& painter) const;

    double latitude_ = 0;
    double longitude_ = 0;
    bool interactive_ = true;
    std::optional<QPointF> hoverPoint_;
    QVariantAnimation pinAnimation_{this};
};

} // namespace tintwell::ui
