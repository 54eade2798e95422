#include "platform/x11/x11_hot_key_service.h"

#include "platform/x11/x11_key_map.h"

#include <algorithm>
#include <cstdlib>

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <X11/keysym.h>
#include <xcb/xcb_keysyms.h>

Q_LOGGING_CATEGORY(lcHotKeys, "tintwell.hotkeys", QtInfoMsg)

namespace tintwell::platform {
namespace {

constexpr std::uint16_t relevantModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

const char* errorName(int code) {
    switch (code) {
    case XCB_ACCESS:
        return "already grabbed by another client";
    case XCB_VALUE:
        return "not a valid key";
    default:
        return "refused by the X server";
    }
}

void sync(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace

std::unique_ptr<X11HotKeyService> X11HotKeyService::create(const char* displayName, QObject* parent) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screen);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    return std::unique_ptr<X11HotKeyService>(new X11HotKeyService(connection, it.data->root, parent));
}

X11HotKeyService::X11HotKeyService(xcb_connection_t* connection, xcb_window_t root, QObject* parent)
    : HotKeyService(parent), connection_(connection), root_(root),
      symbols_(xcb_key_symbols_alloc(connection)) {
    updateNumLockMask();
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11HotKeyService::processEvents);
    scheduleEventProcessing();
}

X11HotKeyService::~X11HotKeyService() {
    for (auto& r : registrations_)
        ungrab(r);
    sync(connection_);
    delete notifier_;
    xcb_key_symbols_free(symbols_);
    xcb_disconnect(connection_);
}

std::vector<xcb_keycode_t> X11HotKeyService::keycodesOf(std::uint32_t keysym) {
    std::vector<xcb_keycode_t> keycodes;
    xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols_, keysym);
    for (xcb_keycode_t* k = found; k && *k != XCB_NO_SYMBOL; ++k)
        if (std::ranges::find(keycodes, *k) == keycodes.end())
            keycodes.push_back(*k);
    std::free(found);
    return keycodes;
}

std::vector<xcb_keycode_t> X11HotKeyService::keycodesFor(std::uint32_t keyCode) {
    if (const auto keycode = x11::positionKeycode(keyCode))
        return {*keycode};
    const auto keysym = x11::keysymForKeyCode(keyCode);
    return keysym ? keycodesOf(*keysym) : std::vector<xcb_keycode_t>{};
}

std::vector<std::uint16_t> X11HotKeyService::lockVariants() const {
    std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
    if (numLockMask_) {
        variants.push_back(numLockMask_);
        variants.push_back(std::uint16_t(numLockMask_ | XCB_MOD_MASK_LOCK));
    }
    return variants;
}

void X11HotKeyService::updateNumLockMask() {
    numLockMask_ = 0;
    const std::vector<xcb_keycode_t> numLock = keycodesOf(XK_Num_Lock);
    auto* reply = xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr);
    if (!reply)
        return;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8 && !numLockMask_; ++modifier)
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t k = map[modifier * perModifier + i];
            if (k != XCB_NO_SYMBOL && std::ranges::find(numLock, k) != numLock.end()) {
                numLockMask_ = std::uint16_t(1u << modifier);
                break;
            }
        }
    std::free(reply);
}

bool X11HotKeyService::sharedGrab(const Registration& registration, xcb_keycode_t keycode) const {
    return std::ranges::any_of(registrations_, [&](const Registration& other) {
        return &other != &registration && other.active && other.modifiers == registration.modifiers &&
               std::ranges::find(other.keycodes, keycode) != other.keycodes.end();
    });
}

HotKeyResult X11HotKeyService::grab(Registration& registration) {
    const std::vector<xcb_keycode_t> keycodes = keycodesFor(registration.combination.keyCode);
    if (keycodes.empty())
        return {-1, "the keyboard layout has no such key"};
    registration.modifiers = x11::xModifiers(registration.combination.modifiers);

    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_keycode_t keycode : keycodes)
        for (const std::uint16_t lock : lockVariants())
            cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, registration.modifiers | lock,
                                                   keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    int failure = 0;
    for (const auto cookie : cookies)
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            if (!failure)
                failure = error->error_code;
            std::free(error);
        }
    scheduleEventProcessing();
    registration.keycodes = keycodes;
    if (failure) {
        // Half a combination would work only with some lock keys on: take none of it.
        registration.active = true;
        ungrab(registration);
        return {failure, errorName(failure)};
    }
    registration.active = true;
    return {};
}

void X11HotKeyService::ungrab(Registration& registration) {
    if (!registration.active)
        return;
    registration.active = false;
    for (const xcb_keycode_t keycode : registration.keycodes) {
        if (sharedGrab(registration, keycode))
            continue;
        for (const std::uint16_t lock : lockVariants())
            xcb_ungrab_key(connection_, keycode, root_, registration.modifiers | lock);
    }
    registration.keycodes.clear();
    xcb_flush(connection_);
}

HotKeyResult X11HotKeyService::registerHotKey(const KeyCombination& combination) {
    if (std::ranges::any_of(registrations_, [&](const auto& r) { return r.combination == combination; }))
        return {};
    Registration registration;
    registration.combination = combination;
    if (suspended_) {
        registrations_.push_back(std::move(registration)); // grabbed on resume
        return {};
    }
    const HotKeyResult result = grab(registration);
    if (result.ok())
        registrations_.push_back(std::move(registration));
    return result;
}

void X11HotKeyService::unregisterHotKey(const KeyCombination& combination) {
    const auto it =
        std::ranges::find_if(registrations_, [&](const auto& r) { return r.combination == combination; });
    if (it == registrations_.end())
        return;
    ungrab(*it);
    registrations_.erase(it);
}

void X11HotKeyService::suspend() {
    suspended_ = true;
    for (auto& r : registrations_)
        ungrab(r);
}

std::vector<std::pair<KeyCombination, HotKeyResult>> X11HotKeyService::resume() {
    suspended_ = false;
    std::vector<std::pair<KeyCombination, HotKeyResult>> refused;
    for (auto& r : registrations_) {
        if (r.active)
            continue;
        const HotKeyResult result = grab(r);
        if (!result.ok())
            refused.emplace_back(r.combination, result);
    }
    return refused;
}

bool X11HotKeyService::isReservedBySystem(const KeyCombination& combination) {
    Registration probe;
    probe.combination = combination;
    probe.modifiers = x11::xModifiers(combination.modifiers);
    probe.keycodes = keycodesFor(combination.keyCode);
    for (const xcb_keycode_t keycode : probe.keycodes)
        if (sharedGrab(probe, keycode))
            return false; // ours
    bool reserved = false;
    for (const xcb_keycode_t keycode : probe.keycodes) {
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 1, root_, probe.modifiers, keycode,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error) {
            reserved |= error->error_code == XCB_ACCESS;
            std::free(error);
        } else {
            xcb_ungrab_key(connection_, keycode, root_, probe.modifiers);
        }
    }
    xcb_flush(connection_);
    scheduleEventProcessing();
    return reserved;
}

std::optional<KeyCombination> X11HotKeyService::combinationForNativeKey(std::uint32_t nativeKeyCode,
                                                                        std::uint32_t nativeModifiers) {
    if (nativeKeyCode > 255)
        return std::nullopt;
    if (const auto code = x11::keyCodeAtPosition(std::uint8_t(nativeKeyCode)))
        return KeyCombination{*code, x11::storedModifiers(nativeModifiers)};
    for (int column = 0; column < 4; ++column) {
        const xcb_keysym_t keysym =
            xcb_key_symbols_get_keysym(symbols_, xcb_keycode_t(nativeKeyCode), column);
        if (keysym == XCB_NO_SYMBOL)
            continue;
        if (const auto code = x11::keyCodeForKeysym(keysym))
            return KeyCombination{*code, x11::storedModifiers(nativeModifiers)};
    }
    return std::nullopt;
}

std::optional<std::string> X11HotKeyService::layoutKeyLabel(std::uint32_t keyCode) {
    const auto keycode = x11::positionKeycode(keyCode);
    if (!keycode)
        return std::nullopt;
    return x11::keysymLabel(xcb_key_symbols_get_keysym(symbols_, *keycode, 0));
}

void X11HotKeyService::regrabAll() {
    std::vector<KeyCombination> active;
    for (auto& r : registrations_)
        if (r.active) {
            ungrab(r);
            active.push_back(r.combination);
        }
    updateNumLockMask();
    for (auto& r : registrations_) {
        if (std::ranges::find(active, r.combination) == active.end())
            continue;
        const HotKeyResult result = grab(r);
        if (!result.ok())
            qCWarning(lcHotKeys) << "After a keyboard mapping change, a hot key could not be grabbed again:"
                                 << result.reason.c_str();
    }
}

void X11HotKeyService::scheduleEventProcessing() {
    // Replies read from the socket may have pulled events into xcb's queue; the socket notifier
    // would not fire for those.
    if (processingScheduled_)
        return;
    processingScheduled_ = true;
    QMetaObject::invokeMethod(this, &X11HotKeyService::processEvents, Qt::QueuedConnection);
}

void X11HotKeyService::processEvents() {
    processingScheduled_ = false;
    bool mappingChanged = false;
    std::vector<std::pair<bool, KeyCombination>> keys;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const auto type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            auto* notify = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            xcb_refresh_keyboard_mapping(symbols_, notify);
            mappingChanged |= notify->request != XCB_MAPPING_POINTER;
        } else if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
            const std::uint16_t state = key->state & relevantModifiers;
            for (const auto& r : registrations_)
                if (r.active && r.modifiers == state &&
                    std::ranges::find(r.keycodes, key->detail) != r.keycodes.end())
                    keys.emplace_back(type == XCB_KEY_PRESS, r.combination);
        }
        std::free(event);
    }
    if (mappingChanged)
        regrabAll();
    // Handlers may register or unregister; they run once the queue is read.
    for (const auto& [pressed, combination] : keys) {
        if (pressed)
            Q_EMIT hotKeyPressed(combination);
        else
            Q_EMIT hotKeyReleased(combination);
    }
}

} // namespace tintwell::platform
