#pragma once

#include "ui/model/horizon_ribbon_model.h"

#include <QVariantAnimation>
#include <QWidget>

namespace tintwell::ui {

/// The day/night curve drawn against the sun's altitude: axis labels, the colour ribbon with the
/// horizon line and the sun dot, and a caption row. Read-only; the dot glides to a new altitude.
class HorizonRibbon : public QWidget {
    Q_OBJECT
public:
    static constexpr int ribbonHeight = 28;
    static constexpr int dotAnimationMs = 250;

    explicit HorizonRibbon(QWidget* parent = nullptr);

    const HorizonRibbonModel& model() const { return model_; }
    void setModel(const HorizonRibbonModel& model);

    /// The ribbon strip inside the widget, in widget coordinates.
    QRect ribbonRect() const;
    /// The dot's centre as drawn now (mid-animation included).
    QPointF dotCenter() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int rowHeight() const;

    HorizonRibbonModel model_;
    double shownFraction_ = 0.5;
    QVariantAnimation dotAnimation_{this};
};

} // namespace tintwell::ui
