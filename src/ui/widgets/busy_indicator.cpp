#include "ui/widgets/busy_indicator.h"

#include <QPainter>

namespace tintwell::ui {

BusyIndicator::BusyIndicator(int side, QWidget* parent) : QWidget(parent), side_(side) {
    setFixedSize(side, side);
    setAccessibleName(QStringLiteral("Detecting location"));
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + 30) % 360;
        update();
    });
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
    p.drawArc(r, -angle_ * 16, 270 * 16);
}

void BusyIndicator::showEvent(QShowEvent*) {
    timer_.start();
}

void BusyIndicator::hideEvent(QHideEvent*) {
    timer_.stop();
}

} // namespace tintwell::ui
