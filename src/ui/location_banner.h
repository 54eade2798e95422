#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tintwell::ui {

/// A tinted card with a symbol, a title, an optional text and up to two buttons.
class LocationBanner : public QFrame {
    Q_OBJECT
public:
    LocationBanner(const QString& symbol, const QString& title, QWidget* parent = nullptr);

    void setText(const QString& text);
    QPushButton* firstButton() const { return first_; }
    QPushButton* secondButton() const { return second_; }

private:
    QLabel* text_;
    QPushButton* first_;
    QPushButton* second_;
};

} // namespace tintwell::ui
