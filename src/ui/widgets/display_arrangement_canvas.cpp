#include "ui/widgets/display_arrangement_canvas.h"

#include "ui/model/canvas_layout.h"
#include "ui/widgets/painted_symbols.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tintwell::ui {

DisplayArrangementCanvas::DisplayArrangementCanvas(QWidget* parent, double inset)
    : QWidget(parent), inset_(inset) {
    setObjectName("arrangementCanvas");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(92);
}

void DisplayArrangementCanvas::setDisplays(std::vector<settings::DisplayInfo> displays) {
    displays_ = std::move(displays);
    update();
}

void DisplayArrangementCanvas::setSelectedId(std::optional<core::DisplayId> id) {
    selected_ = id;
    update();
}

QRectF DisplayArrangementCanvas::tileRect(std::size_t index) const {
    return CanvasLayout::compute(displays_, size(), inset_).tileRect(displays_.at(index).bounds);
}

void DisplayArrangementCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const CanvasLayout layout = CanvasLayout::compute(displays_, size(), inset_);
    // Later tiles lie on top, so they take the click first.
    for (auto it = displays_.rbegin(); it != displays_.rend(); ++it) {
        if (layout.tileRect(it->bounds).contains(event->position())) {
            selected_ = it->id;
            update();
            Q_EMIT displaySelected(it->id);
            return;
        }
    }
}

void DisplayArrangementCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    QPainterPath background;
    background.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.fillPath(background, palette().color(QPalette::AlternateBase));
    painter.strokePath(background, QPen(withAlpha(secondary, 0.25), 1));

    if (displays_.empty()) {
        painter.setPen(secondary);
        painter.drawText(rect(), Qt::AlignCenter, "No displays detected");
        return;
    }
    const CanvasLayout layout = CanvasLayout::compute(displays_, size(), inset_);
    for (const settings::DisplayInfo& d : displays_)
        drawTile(painter, d, layout.tileRect(d.bounds));
}

void DisplayArrangementCanvas::drawTile(QPainter& painter, const settings::DisplayInfo& display,
                                        const QRectF& tile) const {
    const bool selected = selected_ == display.id;
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    QPainterPath shape;
    shape.addRoundedRect(tile, 5, 5);
    painter.fillPath(shape, palette().color(QPalette::Base));
    painter.save();
    painter.setClipPath(shape);
    if (display.isMain)
        painter.fillRect(QRectF(tile.left(), tile.top(), tile.width(), 3), withAlpha(secondary, 0.45));
    // The border lies inside the edge, so half the line width is taken off every side.
    const double line = selected ? 2 : 1;
    QPainterPath border;
    border.addRoundedRect(tile.adjusted(line / 2, line / 2, -line / 2, -line / 2), 5 - line / 2,
                          5 - line / 2);
    painter.strokePath(
        border, QPen(selected ? palette().color(QPalette::Highlight) : withAlpha(secondary, 0.4), line));

    QFont nameFont = font();
    nameFont.setPixelSize(10);
    nameFont.setWeight(QFont::Medium);
    QFont sizeFont = font();
    sizeFont.setPixelSize(8);
    const QString name = QString::fromStdString(display.name);
    const double room = tile.width() - 4;
    const QFontMetricsF sizeMetrics(sizeFont);
    QString dims = QString("%1 × %2")
                       .arg(static_cast<long long>(display.bounds.width))
                       .arg(static_cast<long long>(display.bounds.height));
    // A size with digits cut off would misstate it: a narrow tile closes the gaps, then goes without.
    if (sizeMetrics.horizontalAdvance(dims) > room)
        dims.remove(QLatin1Char(' '));
    if (sizeMetrics.horizontalAdvance(dims) > room)
        dims.clear();
    const double nameHeight = QFontMetricsF(nameFont).height();
    const double sizeHeight = dims.isEmpty() ? 0 : sizeMetrics.height();
    const double top = tile.center().y() - (nameHeight + sizeHeight) / 2;
    const QColor text = palette().color(QPalette::Text);
    painter.setFont(nameFont);
    painter.setPen(text);
    const QString shown = QFontMetricsF(nameFont).elidedText(name, Qt::ElideRight, room);
    painter.drawText(QRectF(tile.left(), top, tile.width(), nameHeight), Qt::AlignCenter, shown);
    painter.setFont(sizeFont);
    painter.setPen(withAlpha(text, 0.6));
    painter.drawText(QRectF(tile.left(), top + nameHeight, tile.width(), sizeHeight), Qt::AlignCenter, dims);
    painter.restore();
}

} // namespace tintwell::ui
