#pragma once

#include <optional>

#include <QColor>
#include <QIcon>
#include <QString>

namespace tintwell::ui {

/// Icons for the symbol names the interface uses ("sun.max", "gearshape", …). A symbol comes from
/// the desktop's icon theme when the theme has a matching freedesktop icon; otherwise it is painted
/// here, at whatever size and scale is asked for, so nothing is ever blank.
class SymbolProvider {
public:
    /// The themed icon, else the painted one in the palette's text colour (or `tint`).
    static QIcon icon(const QString& symbolName, std::optional<QColor> tint = std::nullopt);
    /// Always the painted icon.
    static QIcon paintedIcon(const QString& symbolName, std::optional<QColor> tint = std::nullopt);
    /// The status icon: painted in colour with a dark outline, so that it reads on light and dark
    /// panels alike (single-colour theme symbols vanish on a panel of their own colour).
    static QIcon trayIcon(const QString& symbolName);
    /// The freedesktop icon name tried first for a symbol; empty when there is none.
    static QString themeNameFor(const QString& symbolName);
    /// Whether a painted fallback exists for the symbol (a generic mark is drawn otherwise).
    static bool hasPaintedSymbol(const QString& symbolName);

    SymbolProvider() = delete;
};

} // namespace tintwell::ui
