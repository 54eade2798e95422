#pragma once

// A small Wayland compositor of our own for the tests, on a thread of the test process: outputs
// (wl_output v4 with xdg-output), a wlroots gamma control that records every table it is given,
// and foreign toplevels that can be moved between outputs and activated. It draws nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tintwell::test {

class TestCompositor {
public:
    struct OutputSetup {
        std::string name = "TEST-1";
        std::string make = "Tintwell";
        std::string model = "Test Monitor";
        int x = 0, y = 0, width = 1920, height = 1080;
        int gammaSize = 256; ///< 0: the output has no gamma, as headless ones
    };
    /// One table as the client sent it: the red, green and blue ramps one after the other.
    using Table = std::vector<std::uint16_t>;

    /// Listens on a new socket in $XDG_RUNTIME_DIR; `withToplevels` offers the foreign-toplevel list.
    explicit TestCompositor(std::vector<OutputSetup> outputs, bool withToplevels = true);
    ~TestCompositor();

    /// The socket's name, for WAYLAND_DISPLAY.
    std::string socket() const;

    /// Returns the new output's index.
    int addOutput(const OutputSetup& setup);
    void removeOutput(int index);
    /// Every table set on the output, oldest first (across controls).
    std::vector<Table> tables(int index) const;
    /// Whether a client holds the output's gamma control now (the compositor shows its own
    /// colours whenever none does).
    bool controlled(int index) const;
    /// Sends `failed` to the control that holds the output, as when another client takes it over.
    void takeOver(int index);
    /// Protocol errors the compositor raised (e.g. a table of the wrong size), one line each.
    std::vector<std::string> errors() const;

    /// Returns the new toplevel's index.
    int addToplevel(const std::string& appId, int output);
    void moveToplevel(int toplevel, int output);
    void activate(int toplevel);
    void closeToplevel(int toplevel);

    struct State;

private:
    void run(std::function<void()> task) const;
    std::unique_ptr<State> s_;
};

} // namespace tintwell::test
