#include "ui/widgets/text_labels.h"

#include "ui/widgets/focus_order.h"

#include <QFrame>
#include <QStyleOptionToolButton>
#include <QStylePainter>

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
    label->setWordWrap(true);
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
    setToolTip(shown == full_ ? QString() : wrappingToolTip(full_));
}

ElidedToolButton::ElidedToolButton(QWidget* parent) : QToolButton(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed); // a tool button's own is Fixed
    showFocusRing(this);
}

void ElidedToolButton::setFullText(const QString& text, const QString& kept) {
    full_ = text;
    kept_ = kept;
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
    return {chrome() + fontMetrics().horizontalAdvance(full_ + kept_), QToolButton::sizeHint().height()};
}

QSize ElidedToolButton::minimumSizeHint() const {
    return {chrome() + shortestWidth(fontMetrics(), full_) + fontMetrics().horizontalAdvance(kept_),
            QToolButton::minimumSizeHint().height()};
}

void ElidedToolButton::resizeEvent(QResizeEvent* event) {
    QToolButton::resizeEvent(event);
    refit();
}

void ElidedToolButton::refit() {
    const int room = width() - chrome() - fontMetrics().horizontalAdvance(kept_);
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0)) + kept_;
    if (shown != text())
        setText(shown);
}

void ElidedComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    // The room the style's label leaves for text: the edit field less its inset and the icon.
    int room =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).width() - 2;
    if (!option.currentIcon.isNull())
        room -= option.iconSize.width() + 4;
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, std::max(room, 0));
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

QString wrappingToolTip(const QString& text) {
    // Qt wraps a tooltip only when it is rich text.
    return QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

WrappingRow::WrappingRow(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
}

WrappingRow::~WrappingRow() {
    for (QLayoutItem* item : items_)
        delete item;
}

void WrappingRow::addItem(QLayoutItem* item) {
    items_.push_back(item);
}

QLayoutItem* WrappingRow::itemAt(int index) const {
    return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

QLayoutItem* WrappingRow::takeAt(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem* item = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    return item;
}

QSize WrappingRow::sizeHint() const {
    QSize size;
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty())
            size = QSize(size.width() + (size.width() ? spacing() : 0) + item->sizeHint().width(),
                         std::max(size.height(), item->sizeHint().height()));
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize WrappingRow::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void WrappingRow::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int WrappingRow::arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.x();
    int y = area.y();
    int lineHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint().boundedTo(QSize(area.width(), QWIDGETSIZE_MAX));
        if (x > area.x() && x + size.width() > area.right() + 1) {
            x = area.x();
            y += lineHeight + spacing();
            lineHeight = 0;
        }
        if (place)
            item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + spacing();
        lineHeight = std::max(lineHeight, size.height());
    }
    const QMargins m = contentsMargins();
    return y + lineHeight - rect.y() + m.bottom();
}

ScrollingColumn scrollingColumn(QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls inside, which scroll into view
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QWidget(area);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 4, 0);
    area->setWidget(body);
    return {area, body, column};
}

} // namespace tintwell::ui
