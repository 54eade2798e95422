#pragma once

#include "ui/widgets/text_labels.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWidget>

class QPushButton;

namespace tintwell::ui {

/// A full-panel screen of the popup: a header with "Back", a title and room for buttons at the
/// right, then the screen's own content. Escape goes back as well.
class SecondaryScreen : public QWidget {
    Q_OBJECT
public:
    /// Content that may not fit the popup's height (rows of their own, long texts) scrolls; content
    /// with a scrolling list of its own does not.
    enum class Content { Fixed, Scrolling };
    SecondaryScreen(const QString& title, QWidget* parent = nullptr, Content kind = Content::Fixed);

    QPushButton* backButton() const { return back_; }
    /// What Escape does: closes a page shown inside the screen, else asks to leave the screen.
    void escape();

Q_SIGNALS:
    /// The user asked to leave the screen.
    void backRequested();

protected:
    /// Closes a page shown inside the screen (Escape ends it before leaving the screen); false when
    /// none is shown.
    virtual bool closeInnerPage() { return false; }
    /// Buttons placed at the right of the header.
    QHBoxLayout* headerTrailing() const { return trailing_; }
    /// The screen's content, under the header.
    QVBoxLayout* content() const { return content_; }

private:
    QPushButton* back_;
    QHBoxLayout* trailing_;
    QVBoxLayout* content_;
};

} // namespace tintwell::ui
