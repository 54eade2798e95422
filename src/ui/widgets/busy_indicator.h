#pragma once

#include <QTimer>
#include <QWidget>

namespace tintwell::ui {

/// A small spinning arc shown while something runs in the background; it turns only while visible.
class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(int side, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {side_, side_}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int side_;
    int angle_ = 0;
    QTimer timer_;
};

} // namespace tintwell::ui
