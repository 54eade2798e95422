#pragma once

#include "platform/hot_key_service.h"

#include <memory>

#include <xcb/xcb.h>

struct _XCBKeySymbols;
class QSocketNotifier;

namespace tintwell::platform {

/// Hot keys as passive key grabs on the root window of an X display.
///
/// A letter, digit or punctuation key is grabbed at its position, whatever the layout types there,
/// so its label follows the layout (`layoutKeyLabel`). Any other virtual key code stands for a
/// keysym, grabbed on every keycode of the current layout that produces it. Each grab is made once per state
/// of the lock keys (none, CapsLock, NumLock, both) so that the key works whatever the lights show. A grab
/// another client already holds is refused by the server with BadAccess; every grab is a checked request, so
/// the refusal comes back as this service's result and never reaches a default error handler. A keyboard
/// mapping or layout change grabs everything again on the new keycodes. Changes arrive through the X
/// connection, which this object watches from the thread it lives on.
class X11HotKeyService final : public HotKeyService {
    Q_OBJECT
public:
    /// Connects to `displayName` (nullptr: $DISPLAY); nothing when that fails.
    static std::unique_ptr<X11HotKeyService> create(const char* displayName = nullptr,
                                                    QObject* parent = nullptr);
    ~X11HotKeyService() override;

    HotKeyResult registerHotKey(const KeyCombination& combination) override;
    void unregisterHotKey(const KeyCombination& combination) override;
    void suspend() override;
    std::vector<std::pair<KeyCombination, HotKeyResult>> resume() override;
    bool isReservedBySystem(const KeyCombination& combination) override;
    std::optional<KeyCombination> combinationForNativeKey(std::uint32_t nativeKeyCode,
                                                          std::uint32_t nativeModifiers) override;
    std::optional<std::string> layoutKeyLabel(std::uint32_t keyCode) override;

    /// The modifier bit NumLock sets now (usually Mod2); 0 when no key holds Num_Lock.
    std::uint16_t numLockMask() const { return numLockMask_; }

private:
    struct Registration {
        KeyCombination combination;
        bool active = false;                 ///< grabbed now
        std::vector<xcb_keycode_t> keycodes; ///< those grabbed, while active
        std::uint16_t modifiers = 0;         ///< X modifier mask
    };

    X11HotKeyService(xcb_connection_t* connection, xcb_window_t root, QObject* parent);

    HotKeyResult grab(Registration& registration);
    void ungrab(Registration& registration);
    /// Whether another active registration holds the same keycode and X modifiers.
    bool sharedGrab(const Registration& registration, xcb_keycode_t keycode) const;
    std::vector<xcb_keycode_t> keycodesOf(std::uint32_t keysym);
    /// The keycodes that stand for virtual key code `keyCode` now.
    std::vector<xcb_keycode_t> keycodesFor(std::uint32_t keyCode);
    std::vector<std::uint16_t> lockVariants() const;
    void updateNumLockMask();
    void regrabAll();
    void processEvents();
    void scheduleEventProcessing();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    _XCBKeySymbols* symbols_;
    std::uint16_t numLockMask_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    bool processingScheduled_ = false;
    bool suspended_ = false;
    std::vector<Registration> registrations_;
};

} // namespace tintwell::platform
