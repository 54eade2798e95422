#pragma once

// Another client on the test X server: it grabs keys of its own and looks at the lock keys.

#include <cstdint>
#include <cstdlib>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace tintwell::test {

class OtherClient {
public:
    OtherClient() : conn_(xcb_connect(nullptr, nullptr)), symbols_(xcb_key_symbols_alloc(conn_)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
    }
    ~OtherClient() {
        xcb_key_symbols_free(symbols_);
        xcb_disconnect(conn_);
    }
    xcb_keycode_t keycode(xcb_keysym_t keysym) {
        xcb_key_symbols_free(symbols_); // the mapping may have changed
        symbols_ = xcb_key_symbols_alloc(conn_);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    }
    /// Ctrl+Alt+keycode: true when the grab was had (and it is kept).
    bool grab(xcb_keycode_t keycode) {
        auto* error = xcb_request_check(
            conn_, xcb_grab_key_checked(conn_, 1, root_, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, keycode,
                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return !error;
    }
    void ungrab(xcb_keycode_t keycode) {
        xcb_ungrab_key(conn_, keycode, root_, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
        std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
    }
    /// Whether someone else holds Ctrl+Alt+keycode now; leaves nothing grabbed.
    bool heldElsewhere(xcb_keycode_t keycode) {
        if (!grab(keycode))
            return true;
        ungrab(keycode);
        return false;
    }
    /// Whether some client has grabbed the whole keyboard (as an open menu does).
    bool keyboardGrabbedElsewhere() {
        auto* reply = xcb_grab_keyboard_reply(
            conn_,
            xcb_grab_keyboard(conn_, 0, root_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        const bool grabbed = reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
        if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS)
            xcb_ungrab_keyboard(conn_, XCB_CURRENT_TIME);
        std::free(reply);
        std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
        return grabbed;
    }
    std::uint16_t modifierState() {
        auto* reply = xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr);
        const std::uint16_t mask = reply ? reply->mask : 0;
        std::free(reply);
        return mask;
    }

private:
    xcb_connection_t* conn_;
    xcb_key_symbols_t* symbols_;
    xcb_window_t root_ = XCB_NONE;
};

} // namespace tintwell::test
