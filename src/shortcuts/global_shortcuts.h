#pragma once

#include "platform/hot_key_service.h"
#include "settings/user_defaults.h"
#include "shortcuts/shortcut.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QSet>

class QKeyEvent;

namespace tintwell::shortcuts {

/// A shortcut slot: what a combination is for.
struct Name {
    std::string rawValue;                    ///< e.g. "tintwell.cooler"
    std::optional<Shortcut> defaultShortcut; ///< what the slot holds until the user decides
};

/// The user's global keyboard shortcuts: which combination each slot holds, kept in the defaults
/// store under "GlobalShortcuts_<rawValue>" (the combination's JSON text; false for a slot whose
/// default the user cleared; nothing for a slot never assigned), their registration with the
/// platform's hot-key service, and the actions run when they are pressed.
///
/// Every press reads the slots afresh from the store, so a press always follows the stored
/// assignments; every slot sharing the pressed combination runs its actions. While one of our
/// menus or popups holds the keyboard the window system delivers no hot key: the module then lets
/// go of its grabs and watches the application's own key events instead (`setMenuOpen`,
/// `trackPopup`), runs a matching combination's actions and swallows the key.
///
/// One per process, on the main thread.
class GlobalShortcuts : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    /// `defaults` must outlive this object; `service` may be null (nothing is registered then).
    GlobalShortcuts(settings::UserDefaults& defaults, platform::HotKeyService* service,
                    QObject* parent = nullptr);
    ~GlobalShortcuts() override;

    /// "GlobalShortcuts_" followed by the slot's raw value.
    static std::string storageKey(const Name& name);

    /// Makes the slot known and, when it has a default and nothing at all is stored for it, stores
    /// the default.
    void declare(const Name& name);
    /// The slot's combination; nothing for a slot without one or with a stored value that does
    /// not decode.
    std::optional<Shortcut> getShortcut(const Name& name) const;
    /// Assigns a combination, or clears the slot with nothing (a slot with a default then stores
    /// false, so the default does not come back). Registers the new combination and releases the
    /// old one unless another slot still holds it; `shortcutByNameDidChange` follows every change.
    void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
    /// Returns each slot to its default, or clears it when it has none.
    void reset(const std::vector<Name>& names);

    /// Runs `action` on every press of the slot's combination; actions run in the order attached,
    /// and attaching twice runs twice.
    void onKeyDown(const Name& name, Action action);

    /// Whether the session lets this program take global combinations at all (a hot-key service
    /// exists; on Wayland none does).
    bool canRegister() const { return service_ != nullptr; }
    /// While false, no combination is grabbed and nothing runs.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    /// While true, presses run nothing (a recorder sets it while it records).
    void setPaused(bool paused) { paused_ = paused; }
    /// Whether one of our menus or popups holds the keyboard. The interface sets it when a menu
    /// opens and closes, or lets `trackPopup` do so.
    bool isMenuOpen() const { return menuOpen_; }
    void setMenuOpen(bool open);
    /// Keeps `isMenuOpen` true while `popup` (a menu or popup window) is shown.
    void trackPopup(QObject* popup);

    /// Whether another client holds the combination now (the system's reserved shortcuts);
    /// our own registrations do not count.
    bool isReservedBySystem(const Shortcut& shortcut) const;
    /// The combination of a key press or release of this application; nothing for other events and
    /// keys without a virtual key code.
    std::optional<Shortcut> shortcutFromKeyEvent(const QKeyEvent& event) const;
    /// Whether the combination has been handed to the hot-key service (also when it refused it).
    bool isRegistered(const Shortcut& shortcut) const { return registered_.contains(shortcut); }

    /// Reads every known slot again after another process changed the store: announces the slots
    /// that changed and registers and releases combinations to match.
    void reloadFromStore();

    /// Names each slot to the hot-key service, for a window system that shows its user what a
    /// combination is for: a combination is described by the first slot holding it.
    void setSlotLabels(std::function<std::string(const Name&)> label);

    /// Where "Error registering hotkey …" lines go; standard output by default.
    void setMessageSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

Q_SIGNALS:
    /// The combination stored for `name` changed.
    void shortcutByNameDidChange(const tintwell::shortcuts::Name& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void remember(const Name& name);
    void registerShortcut(const Shortcut& shortcut);
    void unregisterUnlessHeld(const Shortcut& shortcut, const std::string& exceptRawValue);
    void reportFailure(const platform::KeyCombination& combination, const platform::HotKeyResult& result);
    void handleKey(const Shortcut& pressed);
    void updateEventHandler();
    std::optional<Shortcut> shortcutFromNativeKey(std::uint32_t scanCode, std::uint32_t modifiers) const;
    std::optional<Shortcut> registeredMatch(const QKeyEvent& event) const;

    settings::UserDefaults& defaults_;
    QPointer<platform::HotKeyService> service_;
    std::vector<Name> known_; // in the order first seen
    std::map<std::string, std::vector<Action>> keyDownHandlers_;
    std::unordered_map<Shortcut, bool> registered_; // handed to the service; true when it took it
    std::map<std::string, std::optional<Shortcut>> lastSeen_;
    /// The stored value last reported unusable, per slot: each is logged once, not on every read.
    mutable std::map<std::string, settings::Value> reported_;
    QSet<QObject*> trackedPopups_;
    QSet<QObject*> openPopups_;
    bool enabled_ = true;
    bool paused_ = false;
    bool menuOpen_ = false;
    bool filterInstalled_ = false;
    std::function<void(const std::string&)> sink_;
};

} // namespace tintwell::shortcuts
