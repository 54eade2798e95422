#pragma once

#include "core/instant.h"
#include "ui/model/day_preview_player.h"
#include "ui/widgets/coalesced_call.h"

#include <functional>
#include <optional>

#include <QWidget>

class QLabel;
class QPushButton;

namespace tintwell::settings {
class AppState;
class DisplaySettingsEditor;
} // namespace tintwell::settings

namespace tintwell::ui {

class DayStrip;

/// Today at a glance under the horizon ribbon: the day strip for the values being edited, a
/// caption with sunrise and sunset (or what the cursor points at), and "Preview day", which plays
/// the day on the displays in about five seconds. Scrubbing the strip previews one instant. A
/// preview stores nothing and ends when the mouse is let go, the play ends or the panel is hidden.
/// Follows the store on the next pass of the event loop after any change, as the ribbon does.
class DayStripPanel : public QWidget {
    Q_OBJECT
public:
    using Preview = std::function<void(std::optional<double> kelvin)>;

    DayStripPanel(settings::AppState* state, settings::DisplaySettingsEditor* editor,
                  std::function<Instant()> now, Preview preview, QWidget* parent = nullptr);

    void refresh();
    DayStrip* strip() const { return strip_; }
    DayPreviewPlayer* player() { return &player_; }
    QPushButton* previewButton() const { return previewButton_; }
    QLabel* caption() const { return caption_; }
    bool isPreviewing() const { return previewing_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showInstant(Instant at);
    void endPreview();
    void setCaption(const QString& text);

    settings::AppState* state_;
    settings::DisplaySettingsEditor* editor_;
    std::function<Instant()> now_;
    Preview preview_;
    DayPreviewPlayer player_;
    DayStrip* strip_ = nullptr;
    QLabel* caption_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    CoalescedCall refreshSoon_{[this] { refresh(); }};
    bool previewing_ = false;
};

} // namespace tintwell::ui
