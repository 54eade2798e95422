#pragma once

// A second, independent connection to the test X server, for checking what the code under test did,
// for changing the monitor layout the way a user would, and for playing another client that grabs
// keys.

#include "core/color_temperature.h"
#include "support/event_loop.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <gtest/gtest.h>

namespace tintwell::test {

struct Ramp {
    std::vector<std::uint16_t> r, g, b;
    bool operator==(const Ramp&) const = default;
};

/// Whether `ramp` holds `t` scaled to 16 bits, each level within `tolerance`.
inline bool rampShows(const Ramp& ramp, const core::TransferTables& t, double tolerance = 2) {
    const auto channel = [&](const std::vector<std::uint16_t>& levels, const core::TransferTable& table) {
        if (levels.size() != table.size())
            return false;
        for (std::size_t i = 0; i < levels.size(); ++i)
            if (std::abs(levels[i] - table[i] * 65535.0) > tolerance)
                return false;
        return true;
    };
    return channel(ramp.r, t.r) && channel(ramp.g, t.g) && channel(ramp.b, t.b);
}

/// Frees an xcb reply when it goes.
template <class T>
std::unique_ptr<T, void (*)(void*)> owned(T* reply) {
    return {reply, std::free};
}

class X11Session {
public:
    /// `display`: nullptr for $DISPLAY.
    explicit X11Session(const char* display = nullptr) : conn_(xcb_connect(display, nullptr)) {
        if (xcb_connection_has_error(conn_))
            return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        std::free(xcb_randr_query_version_reply(conn_, xcb_randr_query_version(conn_, 1, 5), nullptr));
    }
    ~X11Session() { xcb_disconnect(conn_); }
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool ok() const { return !xcb_connection_has_error(conn_) && root_ != XCB_NONE; }

    std::optional<xcb_randr_output_t> output(const std::string& name) {
        const auto res = owned(xcb_randr_get_screen_resources_current_reply(
            conn_, xcb_randr_get_screen_resources_current(conn_, root_), nullptr));
        const auto* ids = res ? xcb_randr_get_screen_resources_current_outputs(res.get()) : nullptr;
        for (int i = 0; res && i < xcb_randr_get_screen_resources_current_outputs_length(res.get()); ++i) {
            const auto info = owned(
                xcb_randr_get_output_info_reply(conn_, xcb_randr_get_output_info(conn_, ids[i], 0), nullptr));
            if (info && std::string(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                                    std::size_t(xcb_randr_get_output_info_name_length(info.get()))) == name)
                return ids[i];
        }
        return std::nullopt;
    }

    xcb_randr_crtc_t crtcOf(xcb_randr_output_t output) {
        const auto info = owned(
            xcb_randr_get_output_info_reply(conn_, xcb_randr_get_output_info(conn_, output, 0), nullptr));
        return info ? info->crtc : XCB_NONE;
    }

    /// The CRTC of the output `name`; none when it is off or unknown.
    xcb_randr_crtc_t crtcOf(const std::string& name) {
        const auto o = output(name);
        return o ? crtcOf(*o) : XCB_NONE;
    }
    /// The outputs DUMMY0 to DUMMY15 that are on.
    std::vector<std::string> activeOutputs() {
        std::vector<std::string> names;
        for (int i = 0; i < 16; ++i)
            if (crtcOf("DUMMY" + std::to_string(i)) != XCB_NONE)
                names.push_back("DUMMY" + std::to_string(i));
        return names;
    }

    Ramp readRamp(xcb_randr_crtc_t crtc) {
        const auto reply =
            owned(xcb_randr_get_crtc_gamma_reply(conn_, xcb_randr_get_crtc_gamma(conn_, crtc), nullptr));
        if (!reply)
            return {};
        const auto channel = [&](const std::uint16_t* p) {
            return std::vector<std::uint16_t>(p, p + reply->size);
        };
        return {channel(xcb_randr_get_crtc_gamma_red(reply.get())),
                channel(xcb_randr_get_crtc_gamma_green(reply.get())),
                channel(xcb_randr_get_crtc_gamma_blue(reply.get()))};
    }

    void writeRamp(xcb_randr_crtc_t crtc, const Ramp& ramp) {
        xcb_randr_set_crtc_gamma(conn_, crtc, std::uint16_t(ramp.r.size()), ramp.r.data(), ramp.g.data(),
                                 ramp.b.data());
        sync();
    }

    /// jwm restarts itself about a second after the screen changes size, and a window mapped or
    /// activated while it does can be lost for good. This asks it to restart now, so that a restart
    /// still pending from an earlier size change merges with this one, and waits until it has
    /// announced itself again; a request that reaches it mid-restart is lost, hence the retries.
    /// False when it never comes back.
    bool settleWindowManager() {
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(conn_, root_, XCB_CW_EVENT_MASK, &mask);
        const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
        for (int attempt = 0; attempt < 3; ++attempt) {
            sync();
            if (QProcess::execute("jwm", {"-restart"}) != 0)
                return true; // no jwm: nothing to wait for
            sync();          // announcements made before the request belong to an earlier restart
            while (auto* event = xcb_poll_for_event(conn_))
                std::free(event);
            const bool back = spinUntil(
                [&] {
                    bool seen = false;
                    while (auto* event = xcb_poll_for_event(conn_)) {
                        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                        seen |= (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                                notify->window == root_ && notify->atom == check;
                        std::free(event);
                    }
                    return seen;
                },
                std::chrono::seconds(3));
            if (back)
                return true;
        }
        return false;
    }

    /// The pid the owner of `selection` gives in its window's _NET_WM_PID; 0 when nobody owns it.
    std::uint32_t selectionOwnerPid(const std::string& selection) {
        const auto owner = owned(
            xcb_get_selection_owner_reply(conn_, xcb_get_selection_owner(conn_, atom(selection)), nullptr));
        if (!owner || owner->owner == XCB_NONE)
            return 0;
        const auto pid = owned(xcb_get_property_reply(
            conn_, xcb_get_property(conn_, 0, owner->owner, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1),
            nullptr));
        return pid && xcb_get_property_value_length(pid.get()) == 4
                   ? *static_cast<const std::uint32_t*>(xcb_get_property_value(pid.get()))
                   : 0;
    }

    /// An empty `edid` takes the output's away.
    void setEdid(xcb_randr_output_t output, const std::vector<std::uint8_t>& edid) {
        if (edid.empty())
            xcb_randr_delete_output_property(conn_, output, atom("EDID"));
        else
            xcb_randr_change_output_property(conn_, output, atom("EDID"), XCB_ATOM_INTEGER, 8,
                                             XCB_PROP_MODE_REPLACE, std::uint32_t(edid.size()), edid.data());
        sync();
    }

    /// Runs xrandr with the given arguments; true when it succeeded.
    static bool xrandr(const QStringList& arguments) { return QProcess::execute("xrandr", arguments) == 0; }

    /// Switches an extra monitor on to the right of everything, at 1024x768.
    static bool switchOn(const QString& name, int x) {
        xrandr({"--addmode", name, "1024x768"}); // fails harmlessly when the mode is already there
        return xrandr({"--output", name, "--mode", "1024x768", "--pos", QString("%1x0").arg(x)});
    }
    static bool switchOff(const QString& name) { return xrandr({"--output", name, "--off"}); }

    /// The first keycode that gives `keysym` in the current mapping.
    xcb_keycode_t keycode(xcb_keysym_t keysym) {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(conn_);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
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
        sync();
    }
    /// Whether another client holds Ctrl+Alt+keycode now; leaves nothing grabbed.
    bool heldElsewhere(xcb_keycode_t keycode) {
        if (!grab(keycode))
            return true;
        ungrab(keycode);
        return false;
    }
    /// Whether some client has grabbed the whole keyboard (as an open menu does).
    bool keyboardGrabbedElsewhere() {
        const auto reply = owned(xcb_grab_keyboard_reply(
            conn_,
            xcb_grab_keyboard(conn_, 0, root_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr));
        if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS)
            xcb_ungrab_keyboard(conn_, XCB_CURRENT_TIME);
        sync();
        return reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    }
    std::uint16_t modifierState() {
        const auto reply = owned(xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr));
        return reply ? reply->mask : 0;
    }

private:
    void sync() { std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr)); }
    xcb_atom_t atom(const std::string& name) {
        const auto reply = owned(xcb_intern_atom_reply(
            conn_, xcb_intern_atom(conn_, 0, std::uint16_t(name.size()), name.c_str()), nullptr));
        return reply ? reply->atom : XCB_NONE;
    }

    xcb_connection_t* conn_;
    xcb_window_t root_ = XCB_NONE;
};

/// A 128-byte EDID base block with `serial` in its place and `name` (at most 12 characters) in the
/// first descriptor, the monitor name; the rest is left zero, as nobody reads it.
inline std::vector<std::uint8_t> fakeEdid(const std::string& name, std::uint32_t serial) {
    std::vector<std::uint8_t> e(128, 0);
    for (int i = 0; i < 4; ++i)
        e[std::size_t(12 + i)] = std::uint8_t(serial >> (8 * i));
    e[54 + 3] = 0xFC;
    const std::string text = name.substr(0, 12) + "\n";
    std::copy(text.begin(), text.end(), e.begin() + 54 + 5);
    return e;
}

} // namespace tintwell::test
