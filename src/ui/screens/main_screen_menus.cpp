// The header of the main screen and its three menus: profiles, gear, and the manual override's end.
#include "settings/app_state.h"
#include "settings/builtin_presets.h"
#include "settings/profile_manager.h"
#include "ui/model/sun_events.h"
#include "ui/model/text_formats.h"
#include "ui/screens/main_screen.h"
#include "ui/widgets/menu_tracker.h"
#include "ui/widgets/symbol_provider.h"

#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace tintwell::ui {

void MainScreen::buildHeader() {
    auto* header = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(SymbolProvider::icon(QStringLiteral("sun.max.fill")).pixmap(QSize(20, 20)));
    header->addWidget(icon);
    auto* title = new QLabel(QStringLiteral("Tintwell"), this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.15);
    title->setFont(big);
    title->setToolTip(QStringLiteral("Tintwell"));
    header->addWidget(title);
    header->addStretch(1);

    profileButton_ = new ElidedToolButton(this);
    profileButton_->setObjectName(QStringLiteral("profileMenuButton"));
    profileButton_->setPopupMode(QToolButton::InstantPopup);
    profileButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    profileMenu_ = new QMenu(profileButton_);
    profileButton_->setMenu(profileMenu_);
    connect(profileMenu_, &QMenu::aboutToShow, this, &MainScreen::rebuildProfileMenu);
    header->addWidget(profileButton_);

    auto* add = new QToolButton(this);
    add->setObjectName(QStringLiteral("addProfileButton"));
    add->setIcon(SymbolProvider::icon(QStringLiteral("plus.circle")));
    add->setToolTip(QStringLiteral("Save current settings as a new profile"));
    add->setAccessibleName(QStringLiteral("Save current settings as a new profile"));
    add->setAutoRaise(true);
    connect(add, &QToolButton::clicked, this, [this] {
        ctx_.profiles->setNewProfileName({});
        Q_EMIT screenRequested(Screen::SaveProfile);
    });
    header->addWidget(add);

    auto* gear = new QToolButton(this);
    gear->setObjectName(QStringLiteral("gearMenuButton"));
    gear->setIcon(SymbolProvider::icon(QStringLiteral("gearshape")));
    gear->setAccessibleName(QStringLiteral("Settings menu"));
    gear->setToolTip(QStringLiteral("Settings menu"));
    gear->setPopupMode(QToolButton::InstantPopup);
    gear->setAutoRaise(true);
    gearMenu_ = new QMenu(gear);
    gear->setMenu(gearMenu_);
    buildGearMenu();
    header->addWidget(gear);

    if (ctx_.menus) {
        ctx_.menus->track(profileMenu_);
        ctx_.menus->track(gearMenu_);
    }
    static_cast<QVBoxLayout*>(layout())->addLayout(header);
}

void MainScreen::rebuildProfileMenu() {
    settings::AppState* state = ctx_.state;
    QMenu* menu = profileMenu_;
    menu->clear();
    const auto activeId = state->activeProfileId();
    const QIcon check = SymbolProvider::icon(QStringLiteral("checkmark"));
    const auto addProfile = [&](const core::Profile& p) {
        QAction* a =
            menu->addAction(QString::fromStdString(p.name), state, [state, p] { state->applyProfile(p); });
        if (activeId == p.id)
            a->setIcon(check);
    };
    menu->addSection(QStringLiteral("My profiles"));
    for (const auto& p : state->profiles())
        addProfile(p);
    menu->addSection(QStringLiteral("Built-in presets"));
    for (const auto& p : settings::BuiltinPresets::all())
        addProfile(p);

    const auto active = activeId ? state->findProfile(*activeId) : std::nullopt;
    if (active && state->isActiveProfileDirty()) {
        menu->addSeparator();
        const QString name = QString::fromStdString(active->name);
        const bool isUserProfile = std::any_of(state->profiles().begin(), state->profiles().end(),
                                               [&](const core::Profile& p) { return p.id == active->id; });
        if (isUserProfile)
            menu->addAction(QStringLiteral("Save changes to “%1”").arg(name), state,
                            [state] { state->updateActiveProfileFromCurrentSettings(); });
        settings::ProfileManager* profiles = ctx_.profiles;
        menu->addAction(QStringLiteral("Reset to ") + name, profiles,
                        [profiles] { profiles->resetToActiveProfile(); });
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("Save current as new…"), this, [this] {
        ctx_.profiles->setNewProfileName({});
        Q_EMIT screenRequested(Screen::SaveProfile);
    });
    menu->addAction(QStringLiteral("Manage profiles…"), this,
                    [this] { Q_EMIT screenRequested(Screen::ProfileManager); });
}

void MainScreen::buildGearMenu() {
    QMenu* menu = gearMenu_;
    settings::AppState* state = ctx_.state;
    const auto screenEntry = [&](const char* symbol, const QString& text, Screen screen) {
        menu->addAction(SymbolProvider::icon(QString::fromLatin1(symbol)), text, this,
                        [this, screen] { Q_EMIT screenRequested(screen); });
    };
    screenEntry("questionmark.circle", QStringLiteral("Help…"), Screen::Help);
    screenEntry("globe", QStringLiteral("Location"), Screen::Location);
    screenEntry("rectangle.stack", QStringLiteral("Manage profiles…"), Screen::ProfileManager);
    screenEntry("keyboard", QStringLiteral("Hotkeys…"), Screen::Hotkeys);
    screenEntry("app.badge.checkmark", QStringLiteral("App exceptions…"), Screen::AppExceptions);
    menu->addSeparator();

    // Without it the application is gone after the next login.
    startAtLoginAction_ = menu->addAction(QStringLiteral("Start at login"));
    startAtLoginAction_->setObjectName(QStringLiteral("startAtLogin"));
    startAtLoginAction_->setCheckable(true);
    connect(startAtLoginAction_, &QAction::triggered, state,
            [state](bool on) { state->setStartAtLogin(on); });
    menu->addSeparator();

    // A build without an update feed gets its updates from the package manager: nothing to offer.
    if (ctx_.updatesOffered) {
        menu->addSection(QStringLiteral("Update channel"));
        auto* channels = new QActionGroup(menu);
        using Entry = std::pair<const char*, const char*>;
        for (const auto& [title, name] :
             std::initializer_list<Entry>{{"Stable", "stable"}, {"Beta", "beta"}, {"Developer", "dev"}}) {
            QAction* a = menu->addAction(QString::fromLatin1(title));
            a->setCheckable(true);
            channels->addAction(a);
            const std::string channel = name;
            connect(a, &QAction::triggered, state, [state, channel] { state->setUpdateChannel(channel); });
            channelActions_[QString::fromLatin1(name)] = a;
        }
        menu->addSeparator();

        consentAction_ = menu->addAction(SymbolProvider::icon(QStringLiteral("arrow.triangle.2.circlepath")),
                                         QStringLiteral("Check for updates automatically"));
        consentAction_->setCheckable(true);
        connect(consentAction_, &QAction::triggered, state, [state](bool on) {
            state->setUpdateConsent(on ? settings::UpdateConsent::Allowed
                                       : settings::UpdateConsent::Declined);
        });
        menu->addAction(SymbolProvider::icon(QStringLiteral("arrow.down.circle")),
                        QStringLiteral("Check for updates now…"), this,
                        [this] { call(ctx_.callbacks.onCheckForUpdates); });
    }
    menu->addAction(SymbolProvider::icon(QStringLiteral("info.circle")), QStringLiteral("About Tintwell"),
                    this, [this] {
                        auto* box = new QMessageBox(
                            QMessageBox::Information, QStringLiteral("About Tintwell"),
                            QStringLiteral("Tintwell %1\n\nTints every display by the sun's altitude at your "
                                           "location.")
                                .arg(QCoreApplication::applicationVersion()));
                        box->setAttribute(Qt::WA_DeleteOnClose);
                        window()->close();
                        box->open();
                    });
    const QString version = QCoreApplication::applicationVersion();
    if (!version.isEmpty())
        menu->addAction(QStringLiteral("Version ") + version)->setEnabled(false);
    menu->addSeparator();
    QAction* quit =
        menu->addAction(QStringLiteral("Quit Tintwell"), this, [this] { call(ctx_.callbacks.onQuit); });
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->setShortcutContext(Qt::WindowShortcut);
    addAction(quit);

    connect(menu, &QMenu::aboutToShow, this, [this, state] {
        for (auto& [name, action] : channelActions_)
            action->setChecked(name.toStdString() == state->updateChannel());
        if (consentAction_)
            consentAction_->setChecked(state->updateConsent() == settings::UpdateConsent::Allowed);
        // The entry file is the setting: the user or --set may have added or removed it since.
        state->rereadAutostartEntry();
        startAtLoginAction_->setChecked(state->startAtLogin());
    });
}

void MainScreen::rebuildUntilMenu() {
    QMenu* menu = untilMenu_;
    menu->clear();
    const Instant now = ctx_.now();
    menu->addAction(QStringLiteral("I turn it off"), this, [this] { setUntil(std::nullopt); });
    using Entry = std::pair<const char*, int>;
    for (const auto& [title, seconds] : std::initializer_list<Entry>{
             {"15 minutes", 900}, {"30 minutes", 1800}, {"1 hour", 3600}, {"2 hours", 7200}}) {
        const double s = seconds;
        menu->addAction(QString::fromLatin1(title), this, [this, s] { setUntil(ctx_.now() + Seconds(s)); });
    }
    const auto events = nextSunEvents(ctx_.state->latitude(), ctx_.state->longitude(), now);
    if (events.sunrise)
        menu->addAction(QStringLiteral("Next sunrise (%1)").arg(shortTime(*events.sunrise)), this,
                        [this, t = *events.sunrise] { setUntil(t); });
    if (events.sunset)
        menu->addAction(QStringLiteral("Next sunset (%1)").arg(shortTime(*events.sunset)), this,
                        [this, t = *events.sunset] { setUntil(t); });
}

void MainScreen::setUntil(std::optional<Instant> until) {
    // The assignment already writes every scalar key; a second save would only repeat that write.
    ctx_.state->setManualOverrideUntil(until);
}

} // namespace tintwell::ui
