#pragma once

#include "ui/model/onboarding_plan.h"
#include "ui/screens/view_context.h"

#include <map>
#include <memory>

#include <QScrollArea>
#include <QStackedWidget>

namespace tintwell::ui {

class MainScreen;
class OnboardingScreen;
class RecorderBackend;
class SaveProfilePanel;

/// Everything inside the popup: the main screen in a scroll area, and the screens it opens, one at
/// a time. 320 pixels wide; as tall as the main screen's content up to the height cap, scrolling
/// beyond it.
class SettingsView : public QStackedWidget {
    Q_OBJECT
public:
    explicit SettingsView(ViewContext context, QWidget* parent = nullptr);
    ~SettingsView() override;

    MainScreen* mainScreen() const { return main_; }
    SaveProfilePanel* saveProfilePanel() const { return saveProfile_; }
    Screen currentScreen() const { return current_; }
    void showScreen(Screen screen);

    /// Whether the first-run flow has a step open (no place known yet, or automatic location still
    /// waiting for the user's permission; or, in a build with an update feed, the update consent
    /// undecided).
    bool onboardingNeeded() const;
    OnboardingNeeds onboardingNeeds() const;

    /// Escape with nothing focused: ends the innermost page or goes back one screen; false on the
    /// main screen (the popup then closes).
    bool escape();

    /// The cap for the screen the popup opens on (see popupHeightCap).
    void setHeightCap(int cap);
    /// min(cap, content height) high, 320 wide.
    QSize sizeHint() const override;

Q_SIGNALS:
    /// The preferred size changed; the window holding the view should follow.
    void preferredSizeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void addScreens();
    void addScreen(Screen screen, QWidget* page);
    void measure();
    void showScrollBarIfNeeded();

    ViewContext ctx_;
    MainScreen* main_;
    QScrollArea* scroll_;
    SaveProfilePanel* saveProfile_;
    std::unique_ptr<RecorderBackend> recorder_;
    OnboardingScreen* onboarding_ = nullptr;
    std::map<Screen, QWidget*> pages_;
    Screen current_ = Screen::Main;
    Screen saveOpenedFrom_ = Screen::Main;
    int heightCap_ = 620;
    int contentHeight_ = 500;
};

} // namespace tintwell::ui
