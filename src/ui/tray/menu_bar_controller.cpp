#include "ui/tray/menu_bar_controller.h"

#include "settings/app_state.h"
#include "ui/model/tray_icon_rules.h"
#include "ui/model/ui_log.h"
#include "ui/screens/settings_view.h"
#include "ui/tray/popup_window.h"
#include "ui/widgets/menu_tracker.h"
#include "ui/widgets/symbol_provider.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <malloc.h>

namespace tintwell::ui {
namespace {

/// A click on the icon while the popup is open first closes the popup (a click outside it), and
/// only then reaches the icon; within this time it counts as the click that closed it.
constexpr qint64 closingClickMs = 300;

/// How long a closed popup is kept for a quick reopening before it is let go.
constexpr std::chrono::seconds popupReleaseDelay{10};

} // namespace

MenuBarController::MenuBarController(settings::AppState& state, watchers::AppExceptionsManager* exceptions,
                                     LocationStatus& location, platform::DisplayServices& displays,
                                     UiCallbacks callbacks, QObject* parent)
    : QObject(parent), state_(state), editor_(state, displays), profiles_(state) {
    context_.state = &state;
    context_.editor = &editor_;
    context_.profiles = &profiles_;
    context_.exceptions = exceptions;
    context_.location = &location;
    context_.displays = &displays;
    context_.callbacks = std::move(callbacks);
    connect(&displays, &platform::DisplayServices::displaysReconfigured, &editor_,
            &settings::DisplaySettingsEditor::refreshConnectedDisplays);
    // A popup closed for a while is let go: most of the day nobody opens it, and its screens,
    // fonts and pixmaps would otherwise stay resident all along.
    releasePopup_.setSingleShot(true);
    releasePopup_.setInterval(popupReleaseDelay);
    connect(&releasePopup_, &QTimer::timeout, this, &MenuBarController::releasePopup);
    trayRetry_.setInterval(5000);
    connect(&trayRetry_, &QTimer::timeout, this, [this] {
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            trayRetry_.stop();
            createStatusItem();
        } else if (--trayRetriesLeft_ <= 0) {
            trayRetry_.stop();
        }
    });
}

MenuBarController::~MenuBarController() {
    removeStatusItem();
}

SettingsView* MenuBarController::settingsView() {
    PopupWindow* window = popup();
    return window ? window->view() : nullptr;
}

PopupWindow* MenuBarController::popup() {
    if (popup_ || !installed_)
        return popup_.get();
    editor_.refreshConnectedDisplays();
    popup_ = std::make_unique<PopupWindow>(new SettingsView(context_));
    connect(popup_.get(), &PopupWindow::visibilityChanged, menus_.get(), &MenuTracker::setPopupOpen);
    connect(popup_.get(), &PopupWindow::visibilityChanged, this, [this](bool visible) {
        if (visible)
            releasePopup_.stop();
        else
            releasePopup_.start();
    });
    return popup_.get();
}

void MenuBarController::install() {
    if (installed_)
        return;
    installed_ = true;
    menus_ = std::make_unique<MenuTracker>(context_.callbacks.onMenuTrackingChanged);
    context_.menus = menus_.get();

    buildContextMenu();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        createStatusItem();
    } else {
        qCInfo(lcUi) << "No system tray is available: Tintwell runs without its status icon; the command "
                        "line still controls it";
        trayRetry_.start();
    }

    for (auto signal :
         {&settings::AppState::currentAltitudeChanged, &settings::AppState::currentKelvinChanged})
        connect(&state_, signal, &iconUpdate_, &CoalescedCall::request);
    for (auto signal : {&settings::AppState::pausedChanged, &settings::AppState::locationKnownChanged,
                        &settings::AppState::manualOverrideChanged})
        connect(&state_, signal, &iconUpdate_, &CoalescedCall::request);
    updateIcon();
}

void MenuBarController::createStatusItem() {
    if (tray_)
        return;
    tray_ = std::make_unique<QSystemTrayIcon>();
    tray_->setToolTip(QStringLiteral("Tintwell"));
    tray_->setContextMenu(contextMenu_.get());
    connect(tray_.get(), &QSystemTrayIcon::activated, this, &MenuBarController::iconActivated);
    updateIcon();
    tray_->show();
    qCInfo(lcUi) << "Status icon shown in the system tray";
}

void MenuBarController::buildContextMenu() {
    contextMenu_ = std::make_unique<QMenu>();
    contextMenu_->addAction(QStringLiteral("Open Tintwell…"), this, &MenuBarController::togglePopover);
    statusLine_ = contextMenu_->addAction(QString());
    statusLine_->setEnabled(false);
    contextMenu_->addSeparator();
    pauseAction_ = contextMenu_->addAction(QStringLiteral("Pause"));
    pauseAction_->setCheckable(true);
    connect(pauseAction_, &QAction::triggered, &state_, [this](bool on) { state_.setPaused(on); });
    manualAction_ = contextMenu_->addAction(QStringLiteral("Manual override"));
    manualAction_->setCheckable(true);
    connect(manualAction_, &QAction::triggered, &state_, [this](bool on) { state_.setManualOverride(on); });
    contextMenu_->addSeparator();
    contextMenu_->addAction(QStringLiteral("Quit Tintwell"), this,
                            [this] { call(context_.callbacks.onQuit); });
    connect(contextMenu_.get(), &QMenu::aboutToShow, this, [this] {
        pauseAction_->setChecked(state_.paused());
        manualAction_->setChecked(state_.manualOverride());
    });
    menus_->track(contextMenu_.get());
}

void MenuBarController::updateIcon() {
    // Without a place (and no Kelvin pinned by hand) the displays keep their calibration, as when
    // paused.
    const bool waiting = !state_.locationKnown() && !state_.manualOverride();
    const QString symbol = traySymbolName(state_.paused() || waiting, state_.currentAltitude());
    toolTip_ =
        waiting ? trayLocationNeededToolTip() : trayToolTip(state_.currentKelvin(), state_.currentAltitude());
    if (statusLine_)
        statusLine_->setText(toolTip_);
    if (!tray_)
        return;
    if (symbol != symbol_ || tray_->icon().isNull())
        tray_->setIcon(SymbolProvider::trayIcon(symbol));
    symbol_ = symbol;
    tray_->setToolTip(toolTip_);
}

void MenuBarController::iconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick ||
        reason == QSystemTrayIcon::MiddleClick)
        togglePopover();
}

void MenuBarController::togglePopover() {
    if (popup_ && popup_->isVisible())
        popup_->close();
    else
        showPopover();
}

void MenuBarController::releasePopup() {
    if (!popup_ || popup_->isVisible())
        return;
    popup_.reset();
    // The freed screens leave holes in the heap that malloc keeps; give them back to the system.
    malloc_trim(0);
}

void MenuBarController::closePopover() {
    if (popup_)
        popup_->close();
}

void MenuBarController::showPopover() {
    if (!popup() || popup_->isVisible())
        return;
    const qint64 sinceClosed = popup_->msSinceClosed();
    if (sinceClosed >= 0 && sinceClosed < closingClickMs)
        return;

    PopupAnchor anchor;
    if (tray_) {
        const QRect icon = tray_->geometry();
        if (icon.isValid() && !icon.isEmpty())
            anchor.iconGeometry = icon;
    }
    anchor.cursor = QCursor::pos();
    const QPoint centre = anchor.iconGeometry ? anchor.iconGeometry->center() : anchor.cursor;
    QScreen* screen = QGuiApplication::screenAt(centre);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        anchor.screenGeometry = screen->geometry();
        anchor.availableGeometry = screen->availableGeometry();
    }
    popup_->showAt(anchor);
}

void MenuBarController::removeStatusItem() {
    trayRetry_.stop();
    if (popup_)
        popup_->hide();
    if (tray_) {
        tray_->hide();
        tray_.reset();
    }
}

} // namespace tintwell::ui
