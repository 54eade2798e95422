#pragma once

#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace tintwell::ui {

/// A label for a caption in a smaller font and the secondary text colour.
QLabel* captionLabel(const QString& text, QWidget* parent = nullptr);
/// Gives `label` the caption's smaller font and secondary colour.
void styleAsCaption(QLabel* label);
/// A bold label for a heading; it wraps rather than widen its column.
QLabel* headingLabel(const QString& text, QWidget* parent = nullptr);

/// A one-line label that gives up width gracefully: it asks for its whole text but shrinks to a few
/// characters, ending in "…" when the text does not fit (the whole text is then its tooltip).
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    QString fullText() const { return full_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();
    QString full_;
};

/// A tool button (with or without a menu) whose text ends in "…" when the row has no room for all
/// of it; it asks for its whole text but shrinks to a few characters.
class ElidedToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit ElidedToolButton(QWidget* parent = nullptr);
    /// `text` is cut short when needed; `kept`, shown after it, never is.
    void setFullText(const QString& text, const QString& kept = {});
    QString fullText() const { return full_ + kept_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int chrome() const;
    void refit();
    QString full_;
    QString kept_;
};

/// A combo box whose closed face ends its text in "…" when there is no room for all of it, where
/// Qt's own cuts the text off mid-letter.
class ElidedComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// A tooltip text that wraps into a block of lines instead of running across the screen.
QString wrappingToolTip(const QString& text);

/// A row of controls, left to right, that continues on the next line when the row is too narrow
/// for all of them, instead of asking for their total width.
class WrappingRow : public QLayout {
public:
    explicit WrappingRow(QWidget* parent = nullptr);
    ~WrappingRow() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    /// Places the items in `rect` (or only measures) and returns the height they take.
    int arrange(const QRect& rect, bool place) const;
    std::vector<QLayoutItem*> items_;
};

/// A frameless area that scrolls vertically only, around one column of content.
struct ScrollingColumn {
    QScrollArea* area;
    QWidget* body;       ///< the parent for the column's widgets
    QVBoxLayout* column; ///< leaves room at the right for the scroll bar
};
ScrollingColumn scrollingColumn(QWidget* parent);

} // namespace tintwell::ui
