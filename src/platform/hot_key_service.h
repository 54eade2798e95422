#pragma once

#include "platform/key_combination.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QObject>

namespace tintwell::platform {

/// The outcome of asking the window system for a combination.
struct HotKeyResult {
    int status = 0;     ///< 0: taken; otherwise the window system's error code (X11: 10, BadAccess)
    std::string reason; ///< why it failed, for people; empty on success
    bool ok() const { return status == 0; }
};

/// System-wide key combinations delivered to this process whatever window has the focus.
///
/// A registered combination stays registered until unregistered; `suspend()` lets go of every
/// registration with the window system while remembering it, `resume()` takes them all back. Lives
/// on the main thread; every method and signal belongs there.
class HotKeyService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotKeyService() override = default;

    /// Starts delivering `combination`. A refusal leaves nothing registered. Registering a
    /// combination already registered succeeds and changes nothing.
    virtual HotKeyResult registerHotKey(const KeyCombination& combination) = 0;
    /// Stops delivering `combination`; nothing when it is not registered.
    virtual void unregisterHotKey(const KeyCombination& combination) = 0;
    /// Lets go of every registration with the window system but remembers them.
    virtual void suspend() = 0;
    /// Takes back every remembered registration; returns those the window system refused now
    /// (they stay remembered and are tried again on the next resume).
    virtual std::vector<std::pair<KeyCombination, HotKeyResult>> resume() = 0;
    /// Whether another client holds `combination` now: the system's own reserved shortcuts. Our own
    /// registrations do not count.
    virtual bool isReservedBySystem(const KeyCombination& combination) = 0;
    /// The combination a key event of the window system means, from its native key code and
    /// modifier state (on X11 the keycode and the state field); lock modifiers are ignored.
    /// Nothing for a key that has no virtual key code.
    virtual std::optional<KeyCombination> combinationForNativeKey(std::uint32_t nativeKeyCode,
                                                                  std::uint32_t nativeModifiers) = 0;
    /// What the key at virtual key code `keyCode` types in the current layout (its first group,
    /// unshifted), capitalised: "Ö" for the US ';' position on a German layout. Nothing for keys
    /// whose name does not depend on the layout, or when the layout types no character there.
    virtual std::optional<std::string> layoutKeyLabel(std::uint32_t keyCode) {
        (void)keyCode;
        return std::nullopt;
    }
    /// Says what a combination does, in a few words ("Warmer (−250 K)"; empty when unknown), for a
    /// window system that shows its user the keys a program asks for. Called when it asks, which
    /// may be after the registration returned; an empty function stops the calls.
    using Describer = std::function<std::string(const KeyCombination&)>;
    virtual void setDescriber(Describer describer) { (void)describer; }

Q_SIGNALS:
    /// A registered combination was pressed or released; emitted on the main thread.
    void hotKeyPressed(const tintwell::platform::KeyCombination& combination);
    void hotKeyReleased(const tintwell::platform::KeyCombination& combination);
};

} // namespace tintwell::platform
