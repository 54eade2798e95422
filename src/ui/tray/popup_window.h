#pragma once

#include "ui/model/popup_geometry.h"
#include "ui/widgets/focus_order.h"

#include <QElapsedTimer>
#include <QWidget>

namespace tintwell::ui {

class SettingsView;

/// The frameless window that holds the settings view next to the status icon. It closes on a
/// click outside it and on Escape, and takes the keyboard as soon as it shows.
class PopupWindow : public QWidget {
    Q_OBJECT
public:
    explicit PopupWindow(SettingsView* view, QWidget* parent = nullptr);

    SettingsView* view() const { return view_; }
    /// Opens beside the anchor, on the anchor's screen, sized for that screen.
    void showAt(const PopupAnchor& anchor);
    /// Milliseconds since the popup last closed; -1 when it never has.
    qint64 msSinceClosed() const { return closed_.isValid() ? closed_.elapsed() : -1; }

Q_SIGNALS:
    void visibilityChanged(bool visible);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fitToView();

    SettingsView* view_;
    PopupAnchor anchor_;
    QElapsedTimer closed_;
};

} // namespace tintwell::ui
