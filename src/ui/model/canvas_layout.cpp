#include "ui/model/canvas_layout.h"

#include <algorithm>

namespace tintwell::ui {

CanvasLayout CanvasLayout::compute(const std::vector<settings::DisplayInfo>& displays, const QSizeF& viewSize,
                                   double inset) {
    QRectF all;
    for (const settings::DisplayInfo& d : displays)
        all = all.united(QRectF(d.bounds.x, d.bounds.y, d.bounds.width, d.bounds.height));
    CanvasLayout layout;
    if (all.isNull() || all.width() <= 0 || all.height() <= 0) {
        layout.drawOrigin = {inset, inset};
        return layout;
    }
    const double wa = std::max(viewSize.width() - 2 * inset, 1.0);
    const double ha = std::max(viewSize.height() - 2 * inset, 1.0);
    layout.scale = std::min(wa / all.width(), ha / all.height());
    layout.originOffset = all.topLeft();
    layout.drawOrigin = {(wa - all.width() * layout.scale) / 2 + inset,
                         (ha - all.height() * layout.scale) / 2 + inset};
    return layout;
}

QRectF CanvasLayout::tileRect(const platform::Rect& b) const {
    const double x = drawOrigin.x() + scale * (b.x - originOffset.x()) + 1.5;
    const double y = drawOrigin.y() + scale * (b.y - originOffset.y()) + 1.5;
    return {x, y, std::max(scale * b.width - 3, 1.0), std::max(scale * b.height - 3, 1.0)};
}

} // namespace tintwell::ui
