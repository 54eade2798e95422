#include "ui/screens/settings_view.h"

#include "settings/app_state.h"
#include "shortcuts/global_shortcuts.h"
#include "ui/model/location_status.h"
#include "ui/model/popup_geometry.h"
#include "ui/screens/app_exceptions_screen.h"
#include "ui/screens/help_screen.h"
#include "ui/screens/hotkeys_screen.h"
#include "ui/screens/location_screen.h"
#include "ui/screens/main_screen.h"
#include "ui/screens/onboarding_screen.h"
#include "ui/screens/profile_manager_screen.h"
#include "ui/screens/save_profile_panel.h"
#include "ui/widgets/focus_order.h"
#include "ui/widgets/shortcut_recorder_backend.h"
#include "ui/widgets/symbol_provider.h"
#include "watchers/hotkey_names.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace tintwell::ui {

namespace {
/// The title of one of our own menu entries that the key press would trigger.
std::optional<QString> menuItemFor(const QWidget& view, const QKeyEvent& event) {
    const QKeySequence pressed(event.keyCombination());
    for (const QAction* action : view.window()->findChildren<QAction*>())
        if (!action->shortcut().isEmpty() && action->shortcut().matches(pressed) == QKeySequence::ExactMatch)
            return action->text().remove('&');
    return std::nullopt;
}
} // namespace

SettingsView::SettingsView(ViewContext context, QWidget* parent)
    : QStackedWidget(parent), ctx_(std::move(context)), main_(new MainScreen(ctx_)),
      scroll_(new QScrollArea(this)), saveProfile_(new SaveProfilePanel(*ctx_.profiles)) {
    setObjectName(QStringLiteral("settingsView"));
    scroll_->setWidget(main_);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus); // Tab goes straight to the first control
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    main_->installEventFilter(this);
    pages_[Screen::Main] = scroll_;
    addWidget(scroll_);
    pages_[Screen::SaveProfile] = saveProfile_;
    addWidget(saveProfile_);
    addScreens();

    connect(main_, &MainScreen::screenRequested, this, &SettingsView::showScreen);
    connect(saveProfile_, &SaveProfilePanel::finished, this, [this] { showScreen(saveOpenedFrom_); });
    measure();
    showScrollBarIfNeeded();
}

SettingsView::~SettingsView() {
    // The pages use the recorder backend, a member, which would otherwise go before them.
    while (QWidget* page = widget(0))
        delete page;
}

void SettingsView::addScreen(Screen screen, QWidget* page) {
    pages_[screen] = page;
    addWidget(page);
    if (auto* secondary = qobject_cast<SecondaryScreen*>(page))
        connect(secondary, &SecondaryScreen::backRequested, this, [this] { showScreen(Screen::Main); });
}

void SettingsView::addScreens() {
    addScreen(Screen::Help, new HelpScreen(ctx_.updatesOffered));

    auto* profiles = new ProfileManagerScreen(*ctx_.state, *ctx_.profiles);
    connect(profiles, &ProfileManagerScreen::saveProfileRequested, this,
            [this] { showScreen(Screen::SaveProfile); });
    addScreen(Screen::ProfileManager, profiles);

    if (ctx_.shortcuts)
        recorder_ = std::make_unique<ShortcutRecorderBackend>(*ctx_.shortcuts);
    else
        recorder_ = std::make_unique<NoShortcutsBackend>();
    shortcuts::GlobalShortcuts* global = ctx_.shortcuts;
    auto* hotkeys = new HotkeysScreen(*recorder_, [global] {
        if (global)
            global->reset(watchers::hotkeys::allTintwell());
    });
    for (RecorderField* field : hotkeys->fields())
        field->setMenuItemLookup([this](const QKeyEvent& e) { return menuItemFor(*this, e); });
    if (global)
        connect(global, &shortcuts::GlobalShortcuts::shortcutByNameDidChange, hotkeys,
                &HotkeysScreen::refresh);
    addScreen(Screen::Hotkeys, hotkeys);

    addScreen(Screen::AppExceptions,
              new AppExceptionsScreen(*ctx_.state, ctx_.exceptions, ctx_.workspace, ctx_.displays));

    auto* location = new LocationScreen(
        *ctx_.state,
        ctx_.now ? ctx_.now : [] { return instantFromSystemClock(std::chrono::system_clock::now()); },
        ctx_.desktop.locationSettings());
    connect(location, &LocationScreen::useCurrentLocationRequested, this,
            [this] { call(ctx_.callbacks.onUseCurrentLocation); });
    if (LocationStatus* status = ctx_.location) {
        auto follow = [location, status] { location->setServiceState(serviceStateOf(*status)); };
        connect(status, &LocationStatus::changed, location, follow);
        follow();
    }
    addScreen(Screen::Location, location);

    onboarding_ = new OnboardingScreen(*ctx_.state, [this] { return onboardingNeeds(); });
    connect(onboarding_, &OnboardingScreen::useCurrentLocationRequested, this,
            [this] { call(ctx_.callbacks.onUseCurrentLocation); });
    connect(onboarding_, &OnboardingScreen::locationScreenRequested, this,
            [this] { showScreen(Screen::Location); });
    // A fix may come while the flow shows (the request made at launch): the step is then done.
    connect(ctx_.state, &settings::AppState::locationKnownChanged, onboarding_, [this] {
        if (current_ == Screen::Onboarding)
            onboarding_->refresh();
    });
    connect(onboarding_, &OnboardingScreen::finished, this, [this] {
        if (current_ == Screen::Onboarding)
            showScreen(Screen::Main);
    });
    addScreen(Screen::Onboarding, onboarding_);
}

OnboardingNeeds SettingsView::onboardingNeeds() const {
    // No place known yet is this platform's "not determined": nothing has answered where the user is.
    const bool waiting =
        ctx_.location && ctx_.location->authorizationStatus() == LocationStatus::Authorization::NotDetermined;
    return OnboardingNeeds{!ctx_.state->locationKnown() || (ctx_.state->useAutoLocation() && waiting),
                           ctx_.updatesOffered &&
                               ctx_.state->updateConsent() == settings::UpdateConsent::Undecided};
}

bool SettingsView::onboardingNeeded() const {
    return onboardingNeeds().any();
}

void SettingsView::showEvent(QShowEvent* event) {
    QStackedWidget::showEvent(event);
    if (ctx_.offerOnboarding && current_ == Screen::Main && onboardingNeeded())
        showScreen(Screen::Onboarding);
}

void SettingsView::showScreen(Screen screen) {
    // "Save profile" goes back to the screen that opened it.
    if (screen == Screen::SaveProfile && current_ != Screen::SaveProfile)
        saveOpenedFrom_ = current_;
    current_ = screen;
    setCurrentWidget(pages_.at(screen));
    if (screen == Screen::SaveProfile)
        saveProfile_->begin();
    else if (currentWidget()->isVisible())
        focusFirstControl(currentWidget());
}

bool SettingsView::escape() {
    if (current_ == Screen::SaveProfile)
        showScreen(saveOpenedFrom_);
    else if (auto* secondary = qobject_cast<SecondaryScreen*>(currentWidget()))
        secondary->escape();
    else if (current_ != Screen::Main)
        showScreen(Screen::Main);
    else
        return false;
    return true;
}

void SettingsView::setHeightCap(int cap) {
    heightCap_ = cap;
    showScrollBarIfNeeded();
    updateGeometry();
    Q_EMIT preferredSizeChanged();
}

QSize SettingsView::sizeHint() const {
    return {popupWidth, std::min(heightCap_, contentHeight_)};
}

bool SettingsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == main_ && event->type() == QEvent::LayoutRequest)
        measure();
    return QStackedWidget::eventFilter(watched, event);
}

void SettingsView::showScrollBarIfNeeded() {
    // Decided here rather than left to the scroll area: as needed, it can keep a bar that is no longer
    // needed, and the screen then stays wider than the room beside the bar.
    scroll_->setVerticalScrollBarPolicy(contentHeight_ > heightCap_ ? Qt::ScrollBarAlwaysOn
                                                                    : Qt::ScrollBarAlwaysOff);
}

void SettingsView::measure() {
    // Wrapped captions make the screen taller at the popup's width than its plain size hint says.
    const int height =
        main_->hasHeightForWidth() ? main_->heightForWidth(popupWidth) : main_->sizeHint().height();
    if (height == contentHeight_)
        return;
    contentHeight_ = height;
    showScrollBarIfNeeded();
    updateGeometry();
    Q_EMIT preferredSizeChanged();
}

} // namespace tintwell::ui
