#pragma once

#include "settings/display_settings_editor.h"
#include "settings/profile_manager.h"
#include "ui/model/ui_callbacks.h"
#include "ui/screens/view_context.h"
#include "ui/widgets/coalesced_call.h"

#include <memory>

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

class QMenu;
class QAction;

namespace tintwell::ui {

class PopupWindow;
class SettingsView;

/// The status icon in the system tray and the popup it opens.
///
/// The icon shows the sun, the moon or the paused sun, with the Kelvin and altitude in its tooltip,
/// and follows `currentAltitude`, `currentKelvin` and `paused` on the next pass of the event loop
/// after any of them changes. A click toggles the popup; the right-click menu offers the popup, a
/// status line, Pause, Manual override and Quit. Without a system tray the controller keeps
/// running without an icon. Main thread only.
class MenuBarController : public QObject {
    Q_OBJECT
public:
    /// All objects must outlive the controller; `exceptions` may be null.
    MenuBarController(settings::AppState& state, watchers::AppExceptionsManager* exceptions,
                      LocationStatus& location, platform::DisplayServices& displays, UiCallbacks callbacks,
                      QObject* parent = nullptr);
    ~MenuBarController() override;

    /// Services the popup's screens read; call before install(). Each may be null.
    void setWorkspace(platform::WorkspaceServices* workspace) { context_.workspace = workspace; }
    void setGlobalShortcuts(shortcuts::GlobalShortcuts* shortcuts) { context_.shortcuts = shortcuts; }
    /// Whether the popup opens on the first-run flow while one of its steps is open.
    void setOfferOnboarding(bool offer) { context_.offerOnboarding = offer; }
    /// A build with an update feed: the popup asks for the update consent and offers updates.
    void setUpdatesOffered(bool offered) { context_.updatesOffered = offered; }

    /// Builds the status icon (when a tray exists) and the icon's follow-up. Once. The popup is
    /// built when first asked for: most runs never open it, and its screens cost memory.
    void install();
    /// Recomputes the icon's symbol and tooltip from the store.
    void updateIcon();
    /// Shows the popup if hidden, closes it if shown.
    void togglePopover();
    /// Shows the popup by the icon (or the pointer) if it is hidden.
    void showPopover();
    /// Closes the popup if it is open.
    void closePopover();
    /// Removes the status icon (shutdown).
    void removeStatusItem();

    /// True once install() found a system tray and shows the icon.
    QSystemTrayIcon* statusItem() const { return tray_.get(); }
    QString toolTip() const { return toolTip_; }
    /// The popup, built on the first call.
    PopupWindow* popup();
    SettingsView* settingsView();
    settings::DisplaySettingsEditor& displayEditor() { return editor_; }

private:
    void createStatusItem();
    void buildContextMenu();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

    settings::AppState& state_;
    settings::DisplaySettingsEditor editor_;
    settings::ProfileManager profiles_;
    std::unique_ptr<MenuTracker> menus_;
    ViewContext context_; ///< what the popup's screens get, gathered as it comes
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QMenu> contextMenu_;
    QAction* statusLine_ = nullptr;
    QAction* pauseAction_ = nullptr;
    QAction* manualAction_ = nullptr;
    std::unique_ptr<PopupWindow> popup_;
    QTimer releasePopup_; ///< runs while the popup is closed; when it fires the popup goes
    QString symbol_;
    QString toolTip_;
    CoalescedCall iconUpdate_{[this] { updateIcon(); }};
    bool installed_ = false;
    void releasePopup();
    QTimer trayRetry_;
    int trayRetriesLeft_ = 12;
};

} // namespace tintwell::ui
