// A stand-in application for the workspace tests: one top-level window with its own WM_CLASS and
// _NET_WM_PID. Prints the window id, then stays until killed or until the X server goes away.
//
//   tintwell_test_window --class CLASS --geometry WxH+X+Y [--dock] [--no-pid]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <unistd.h>

int main(int argc, char** argv) {
    std::string cls = "TintwellTestWindow";
    int width = 200, height = 150, x = 0, y = 0;
    bool dock = false;
    bool withPid = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--class") && i + 1 < argc)
            cls = argv[++i];
        else if (!std::strcmp(argv[i], "--geometry") && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d+%d+%d", &width, &height, &x, &y);
        else if (!std::strcmp(argv[i], "--dock"))
            dock = true;
        else if (!std::strcmp(argv[i], "--no-pid"))
            withPid = false;
    }

    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_ewmh_connection_t ewmh;
    if (!xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr))
        return 1;
    xcb_screen_t* screen = ewmh.screens[screenNumber];

    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(x), std::int16_t(y),
                      std::uint16_t(width), std::uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL, values);

    const std::string wmClass = cls + '\0' + cls + '\0';
    xcb_icccm_set_wm_class(c, w, std::uint32_t(wmClass.size()), wmClass.data());
    xcb_icccm_set_wm_name(c, w, XCB_ATOM_STRING, 8, std::uint32_t(cls.size()), cls.data());
    if (withPid)
        xcb_ewmh_set_wm_pid(&ewmh, w, std::uint32_t(getpid()));
    // Asked-for position and size, so that the window manager places it where the test expects.
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, x, y);
    xcb_icccm_size_hints_set_size(&hints, 1, width, height);
    xcb_icccm_size_hints_set_min_size(&hints, width, height);
    xcb_icccm_set_wm_normal_hints(c, w, &hints);
    if (dock) {
        xcb_atom_t type = ewmh._NET_WM_WINDOW_TYPE_DOCK;
        xcb_ewmh_set_wm_window_type(&ewmh, w, 1, &type);
    }
    xcb_map_window(c, w);
    xcb_flush(c);

    std::printf("%u\n", w);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c))
        std::free(event);
    return 0;
}
