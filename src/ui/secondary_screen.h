#pragma once

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

class QPushButton;

namespace tintwell::ui {

/// A full-panel screen of the popup: a header with "Back", a title and room for buttons at the
/// right, then the screen's own content. Escape goes back as well.
class SecondaryScreen : public QWidget {
    Q_OBJECT
public:
    SecondaryScreen(const QString& title, QWidget* parent = nullptr);

    QPushButton* backButton() const { return back_; }

Q_SIGNALS:
    /// The user asked to leave the screen.
    void backRequested();

protected:
    /// Buttons placed at the right of the header.
    QHBoxLayout* headerTrailing() const { return trailing_; }
    /// The screen's content, under the header.
    QVBoxLayout* content() const { return content_; }

private:
    QPushButton* back_;
    QHBoxLayout* trailing_;
    QVBoxLayout* content_;
};

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
