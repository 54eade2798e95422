#pragma once

#include "ui/model/slider_definition.h"

#include <functional>

#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

namespace tintwell::ui {

/// Up and down arrows that move a value by one step; reachable with Tab and driven by the arrow
/// keys, named for screen readers ("Adjust by 50 K").
class Stepper : public QWidget {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

Q_SIGNALS:
    /// +1 or −1 step.
    void stepped(int direction);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

/// A slider that ignores the mouse wheel unless it has focus, so scrolling the page over it does
/// not change a setting.
class StepSlider : public QSlider {
    Q_OBJECT
public:
    using QSlider::QSlider;

protected:
    void wheelEvent(QWheelEvent* event) override;
};

/// Title, value text and slider (and stepper) for one of the six profile values.
///
/// The value text follows every movement at once; the value itself is handed to `write` at most
/// once per `writeIntervalMs` while the slider moves (first movement at once, the last one when the
/// interval ends), so a drag costs a handful of settings writes rather than one per pixel.
class SliderRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int writeIntervalMs = 100;

    SliderRow(const SliderDefinition& definition, std::function<void(double)> write,
              QWidget* parent = nullptr);

    const SliderDefinition& definition() const { return definition_; }
    /// Shows `value` (from the model) unless the user is moving the slider.
    void setValue(double value);
    /// The value shown.
    double value() const { return value_; }
    QSlider* slider() const { return slider_; }
    Stepper* stepper() const { return stepper_; }
    QLabel* valueLabel() const { return valueLabel_; }
    /// Writes a movement still held back by the interval.
    void flush();

private:
    void userChanged(double value);
    void call(double value);

    const SliderDefinition& definition_;
    std::function<void(double)> write_;
    QLabel* valueLabel_;
    StepSlider* slider_;
    Stepper* stepper_ = nullptr;
    double value_ = 0;
    bool pending_ = false;
    QTimer throttle_;
};

} // namespace tintwell::ui
