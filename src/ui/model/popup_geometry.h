#pragma once

#include <optional>

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tintwell::ui {

inline constexpr int popupWidth = 320;

/// The tallest the popup may grow on a screen whose usable height is `visibleHeight`: 620, or 48
/// less than the screen, but never under 360. 620 when the screen is unknown.
int popupHeightCap(std::optional<int> visibleHeight);

/// Where the status icon sits and where the popup should go.
struct PopupAnchor {
    std::optional<QRect> iconGeometry; ///< none (or empty) when the tray does not say
    QPoint cursor;                     ///< the pointer at the click, used without icon geometry
    QRect screenGeometry;              ///< the whole screen that holds the icon
    QRect availableGeometry;           ///< that screen minus its panels
};

/// The popup's top-left corner: beside the icon on the side away from the panel's screen edge
/// (below an icon at the top, above one at the bottom, and so on), centred on it, and kept inside
/// the screen's available area.
QPoint popupPosition(const PopupAnchor& anchor, QSize popupSize);

} // namespace tintwell::ui
