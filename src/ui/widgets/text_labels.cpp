#include "ui/widgets/text_labels.h"

#include <QFrame>
#include <QStyleOptionToolButton>

namespace tintwell::ui {

void styleAsCaption(QLabel* label) {
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    label->setFont(f);
    label->setForegroundRole(QPalette::PlaceholderText);
}

QLabel* captionLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    styleAsCaption(label);
    return label;
}

QLabel* headingLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

namespace {
/// Width of a text cut to a few characters: what an eliding control still shows at its narrowest.
int shortestWidth(const QFontMetrics& metrics, const QString& text) {
    return metrics.horizontalAdvance(text.size() > 4 ? text.left(3) + QChar(0x2026) : text);
}
} // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString& text) {
    full_ = text;
    updateGeometry();
    refit();
}

QSize ElidedLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return {fontMetrics().horizontalAdvance(full_) + m.left() + m.right() + 2 * margin(),
            QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    const QMargins m = contentsMargins();
    return {shortestWidth(fontMetrics(), full_) + m.left() + m.right() + 2 * margin(),
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refit();
}

void ElidedLabel::refit() {
    const int room = contentsRect().width() - 2 * margin();
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0));
    if (shown != text())
        setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

ElidedToolButton::ElidedToolButton(QWidget* parent) : QToolButton(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed); // a tool button's own is Fixed
}

void ElidedToolButton::setFullText(const QString& text) {
    full_ = text;
    updateGeometry();
    refit();
}

int ElidedToolButton::chrome() const {
    // Qt's own size for the text shown, less that text; the corner arrow of a menu button overlaps
    // the text unless it is given room of its own.
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const int arrow = popupMode() == InstantPopup && menu()
                          ? style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this) / 2
                          : 0;
    return QToolButton::sizeHint().width() - fontMetrics().horizontalAdvance(text()) + arrow;
}

QSize ElidedToolButton::sizeHint() const {
    return {chrome() + fontMetrics().horizontalAdvance(full_), QToolButton::sizeHint().height()};
}

QSize ElidedToolButton::minimumSizeHint() const {
    return {chrome() + shortestWidth(fontMetrics(), full_), QToolButton::minimumSizeHint().height()};
}

void ElidedToolButton::resizeEvent(QResizeEvent* event) {
    QToolButton::resizeEvent(event);
    refit();
}

void ElidedToolButton::refit() {
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(width() - chrome(), 0));
    if (shown != text())
        setText(shown);
}

QString wrappingToolTip(const QString& text) {
    // Qt wraps a tooltip only when it is rich text.
    return QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

ScrollingColumn scrollingColumn(QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QWidget(area);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 4, 0);
    area->setWidget(body);
    return {area, body, column};
}

} // namespace tintwell::ui
