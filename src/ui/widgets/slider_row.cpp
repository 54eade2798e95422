#include "ui/widgets/slider_row.h"

#include "ui/widgets/focus_order.h"
#include "ui/widgets/text_labels.h"

#include <algorithm>

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tintwell::ui {

Stepper::Stepper(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    setFocusPolicy(Qt::StrongFocus);
    showFocusRing(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2); // room for the focus ring around the arrows
    layout->setSpacing(0);
    for (auto* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setFixedSize(18, 11);
        b->setAutoRaise(true);
        layout->addWidget(b);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setAccessibleName(QStringLiteral("Increment"));
    down_->setAccessibleName(QStringLiteral("Decrement"));
    connect(up_, &QToolButton::clicked, this, [this] { Q_EMIT stepped(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
}

void Stepper::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        Q_EMIT stepped(+1);
        return;
    case Qt::Key_Down:
    case Qt::Key_Left:
        Q_EMIT stepped(-1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void StepSlider::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QSlider::wheelEvent(event);
}

SliderRow::SliderRow(const SliderDefinition& definition, std::function<void(double)> write, QWidget* parent)
    : QWidget(parent), definition_(definition), write_(std::move(write)), valueLabel_(new QLabel(this)),
      slider_(new StepSlider(Qt::Horizontal, this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* top = new QHBoxLayout;
    auto* title = new QLabel(definition.title, this);
    top->addWidget(title);
    top->addStretch(1);

    // Fixed-width digits, and room for the widest value, so the row never jiggles while dragging.
    QFont digits = font();
    digits.setStyleHint(QFont::Monospace);
    digits.setFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    valueLabel_->setFont(digits);
    valueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics fm(digits);
    valueLabel_->setMinimumWidth(std::max(fm.horizontalAdvance(definition.formatValue(definition.maximum)),
                                          fm.horizontalAdvance(definition.formatValue(definition.minimum))));
    top->addWidget(valueLabel_);
    if (definition.hasStepper) {
        stepper_ = new Stepper(this);
        stepper_->setAccessibleName(definition.stepperAccessibleName());
        stepper_->setObjectName(definition.title.toLower() + QStringLiteral("Stepper"));
        top->addWidget(stepper_);
        connect(stepper_, &Stepper::stepped, this,
                [this](int direction) { slider_->setValue(slider_->value() + direction); });
    }
    column->addLayout(top);

    slider_->setObjectName(definition.title.toLower() + QStringLiteral("Slider"));
    slider_->setAccessibleName(definition.title);
    slider_->setFocusPolicy(Qt::StrongFocus);
    slider_->setRange(0, definition.positionCount());
    slider_->setSingleStep(1);
    slider_->setPageStep(std::max(1, definition.positionCount() / 10));
    column->addWidget(slider_);
    title->setBuddy(slider_);
    if (!definition.help.isEmpty())
        setToolTip(wrappingToolTip(definition.help));

    throttle_.setSingleShot(true);
    throttle_.setInterval(writeIntervalMs);
    connect(&throttle_, &QTimer::timeout, this, [this] {
        if (pending_) {
            pending_ = false;
            call(value_);
            throttle_.start();
        }
    });
    connect(slider_, &QSlider::valueChanged, this,
            [this](int position) { userChanged(definition_.valueAt(position)); });
    connect(slider_, &QSlider::sliderReleased, this, &SliderRow::flush);
}

void SliderRow::call(double value) {
    if (write_)
        write_(value);
}

void SliderRow::setValue(double value) {
    if (slider_->isSliderDown() || pending_)
        return;
    value_ = value;
    valueLabel_->setText(definition_.formatValue(value));
    slider_->setAccessibleDescription(valueLabel_->text());
    const QSignalBlocker block(slider_);
    slider_->setValue(definition_.positionOf(value));
}

void SliderRow::userChanged(double value) {
    value_ = value;
    valueLabel_->setText(definition_.formatValue(value));
    slider_->setAccessibleDescription(valueLabel_->text());
    if (throttle_.isActive()) {
        pending_ = true;
        return;
    }
    call(value);
    throttle_.start();
}

void SliderRow::flush() {
    if (!pending_)
        return;
    pending_ = false;
    call(value_);
}

} // namespace tintwell::ui
