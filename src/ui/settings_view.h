#pragma once

#include "ui/view_context.h"

#include <map>

#include <QScrollArea>
#include <QStackedWidget>

namespace tintwell::ui {

class MainScreen;
class SaveProfilePanel;

/// Everything inside the popup: the main screen in a scroll area, and the screens it opens, one at
/// a time. 320 pixels wide; as tall as the main screen's content up to the height cap, scrolling
/// beyond it.
class SettingsView : public QStackedWidget {
    Q_OBJECT
public:
    explicit SettingsView(ViewContext context, QWidget* parent = nullptr);

    MainScreen* mainScreen() const { return main_; }
    SaveProfilePanel* saveProfilePanel() const { return saveProfile_; }
    Screen currentScreen() const { return current_; }
    void showScreen(Screen screen);

    /// The cap for the screen the popup opens on (see popupHeightCap).
    void setHeightCap(int cap);
    int heightCap() const { return heightCap_; }
    /// The last measured height of the main screen's content.
    int settingsContentHeight() const { return contentHeight_; }
    /// min(cap, content height) high, 320 wide.
    QSize sizeHint() const override;

Q_SIGNALS:
    /// The preferred size changed; the window holding the view should follow.
    void preferredSizeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* placeholderScreen(const QString& title);
    void measure();

    ViewContext ctx_;
    MainScreen* main_;
    QScrollArea* scroll_;
    SaveProfilePanel* saveProfile_;
    std::map<Screen, QWidget*> pages_;
    Screen current_ = Screen::Main;
    int heightCap_ = 620;
    int contentHeight_ = 500;
};

} // namespace tintwell::ui
