#pragma once

#include <QFrame>
#include <QStringList>

namespace tintwell::ui {

/// A question asked inside a window rather than in a window of its own: a card over a dimmed
/// backdrop that covers the window. The popup closes when another window opens, so its alerts are
/// asked this way.
class InlineAlert : public QFrame {
    Q_OBJECT
public:
    /// Shows the card over `window` and waits for an answer: the index of the button chosen, or -1
    /// for Escape or the window closing meanwhile.
    static int ask(QWidget* window, const QString& message, const QString& informative,
                   const QStringList& buttons);

Q_SIGNALS:
    void answered(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InlineAlert(QWidget* window, const QString& message, const QString& informative,
                const QStringList& buttons);
};

} // namespace tintwell::ui
