#include "ui/model/popup_geometry.h"

#include <algorithm>

namespace tintwell::ui {
namespace {

constexpr int gap = 4;

int clampInto(int value, int low, int high) {
    return high < low ? low : std::clamp(value, low, high);
}

} // namespace

int popupHeightCap(std::optional<int> visibleHeight) {
    if (!visibleHeight)
        return 620;
    return std::min(620, std::max(*visibleHeight - 48, 360));
}

QPoint popupPosition(const PopupAnchor& anchor, QSize size) {
    const QRect icon =
        anchor.iconGeometry && anchor.iconGeometry->isValid() && !anchor.iconGeometry->isEmpty()
            ? *anchor.iconGeometry
            : QRect(anchor.cursor, QSize(1, 1));
    const QRect screen = anchor.screenGeometry.isValid() ? anchor.screenGeometry : anchor.availableGeometry;
    const QRect area = anchor.availableGeometry.isValid() ? anchor.availableGeometry : screen;
    const QPoint c = icon.center();

    // An icon outside the usable area sits in a panel that reserves that edge; otherwise the panel
    // is taken to lie along the screen edge nearest to the icon.
    enum class Edge { Top, Bottom, Left, Right } edge;
    if (c.y() < area.top())
        edge = Edge::Top;
    else if (c.y() > area.bottom())
        edge = Edge::Bottom;
    else if (c.x() < area.left())
        edge = Edge::Left;
    else if (c.x() > area.right())
        edge = Edge::Right;
    else {
        const int toTop = c.y() - screen.top();
        const int toBottom = screen.bottom() - c.y();
        const int toLeft = c.x() - screen.left();
        const int toRight = screen.right() - c.x();
        const int nearest = std::min({toTop, toBottom, toLeft, toRight});
        edge = nearest == toTop      ? Edge::Top
               : nearest == toBottom ? Edge::Bottom
               : nearest == toLeft   ? Edge::Left
                                     : Edge::Right;
    }

    QPoint p;
    switch (edge) {
    case Edge::Top:
        p = {c.x() - size.width() / 2, icon.bottom() + 1 + gap};
        break;
    case Edge::Bottom:
        p = {c.x() - size.width() / 2, icon.top() - gap - size.height()};
        break;
    case Edge::Left:
        p = {icon.right() + 1 + gap, c.y() - size.height() / 2};
        break;
    case Edge::Right:
        p = {icon.left() - gap - size.width(), c.y() - size.height() / 2};
        break;
    }
    p.setX(clampInto(p.x(), area.left() + gap, area.right() + 1 - gap - size.width()));
    p.setY(clampInto(p.y(), area.top() + gap, area.bottom() + 1 - gap - size.height()));
    return p;
}

} // namespace tintwell::ui
