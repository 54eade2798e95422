#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace tintwell::ui {

/// Colours of a painted symbol: the glyph, and for the status icon an outline and accent.
struct SymbolColors {
    QColor ink;
    QColor outline; ///< invalid: no outline
    QColor accent;  ///< second colour (badges, stars); invalid: same as ink
};

/// `colour` at `alpha` (0 to 1) opacity.
inline QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}

/// Draws `name` into `box` (square). False when the name is unknown; a generic mark is drawn then.
bool paintSymbol(QPainter& painter, const QString& name, const QRectF& box, const SymbolColors& colors);

} // namespace tintwell::ui
