#pragma once

#include "settings/display_lookup.h"

#include <optional>
#include <vector>

#include <QWidget>

namespace tintwell::ui {

/// A miniature of the display arrangement: one tile per display at its relative place and size,
/// the main display marked by a menu-bar strip; clicking a tile selects that display.
class DisplayArrangementCanvas : public QWidget {
    Q_OBJECT
public:
    explicit DisplayArrangementCanvas(QWidget* parent = nullptr, double inset = 10);

    void setDisplays(std::vector<settings::DisplayInfo> displays);
    const std::vector<settings::DisplayInfo>& displays() const { return displays_; }
    std::optional<core::DisplayId> selectedId() const { return selected_; }
    /// Highlights a display (nothing: none); emits nothing.
    void setSelectedId(std::optional<core::DisplayId> id);
    /// The tile of the display at `index`, in this widget's coordinates.
    QRectF tileRect(std::size_t index) const;

    QSize sizeHint() const override { return {300, 92}; }

Q_SIGNALS:
    /// A tile was clicked.
    void displaySelected(tintwell::core::DisplayId id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void drawTile(QPainter& painter, const settings::DisplayInfo& display, const QRectF& tile) const;

    std::vector<settings::DisplayInfo> displays_;
    std::optional<core::DisplayId> selected_;
    double inset_;
};

} // namespace tintwell::ui
