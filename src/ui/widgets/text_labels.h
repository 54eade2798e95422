#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

namespace tintwell::ui {

/// A label for a caption in a smaller font and the secondary text colour.
QLabel* captionLabel(const QString& text, QWidget* parent = nullptr);
/// A bold label for a heading.
QLabel* headingLabel(const QString& text, QWidget* parent = nullptr);

/// A frameless area that scrolls vertically only, around one column of content.
struct ScrollingColumn {
    QScrollArea* area;
    QWidget* body;       ///< the parent for the column's widgets
    QVBoxLayout* column; ///< leaves room at the right for the scroll bar
};
ScrollingColumn scrollingColumn(QWidget* parent);

} // namespace tintwell::ui
