#pragma once

#include "ui/model/desktop_settings.h"

#include <optional>

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* text_;
    QPushButton* first_;
    QPushButton* second_;
};

/// The two location banners, at most one of them shown: "Location off" while access is denied,
/// "Couldn’t detect your location" after a failed fetch.
class LocationBanners : public QWidget {
    Q_OBJECT
public:
    /// "Open Settings…" opens `locationSettings` and is hidden where the desktop has none.
    explicit LocationBanners(std::optional<Command> locationSettings, QWidget* parent = nullptr);

    enum class Showing { None, Denied, Failed, TimedOut };
    void showFor(Showing which);
    LocationBanner* denied() const { return denied_; }
    LocationBanner* failed() const { return failed_; }

Q_SIGNALS:
    /// "Retry": ask the location service for a fix.
    void retryRequested();
    /// "Manual…" or "Enter manually": automatic location off, saved.
    void manualRequested();

private:
    LocationBanner* denied_;
    LocationBanner* failed_;
};

} // namespace tintwell::ui
