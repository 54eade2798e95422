// A hotkey assigned on the command line, pressed with xdotool while the application runs on the
// test X server.

#include "support/app_session.h"
#include "support/x11_other_client.h"

using namespace tintwell;
using namespace std::chrono_literals;
using test::night;
using test::spinUntil;

namespace {

/// Whether another client has grabbed Ctrl+Alt+`keysym` on the root window; grabs nothing itself.
bool grabbedElsewhere(xcb_keysym_t keysym) {
    test::OtherClient other;
    return other.heldElsewhere(other.keycode(keysym));
}

class HotkeysEndToEnd : public test::AppSession {
protected:
    void TearDown() override {
        if (numLockOn)
            QProcess::execute("xdotool", {"key", "Num_Lock"});
        AppSession::TearDown();
    }
    bool numLockOn = false;
};

TEST_F(HotkeysEndToEnd, APressPausesAndTheNextTintsAgainAlsoWithNumLock) {
    ASSERT_EQ(run({"--hotkey", "togglePause=Ctrl+Alt+P"}).first, 0);
    const test::Ramp calibration = ramp("DUMMY0");
    start(app);
    ASSERT_TRUE(spinUntil([&] { return shows("DUMMY0", night) && grabbedElsewhere('p'); }))
        << app.readAllStandardError().toStdString();

    for (const bool numLock : {false, true}) {
        SCOPED_TRACE(numLock ? "NumLock on" : "NumLock off");
        if (numLock) {
            ASSERT_EQ(QProcess::execute("xdotool", {"key", "Num_Lock"}), 0);
            numLockOn = true;
        }
        ASSERT_EQ(QProcess::execute("xdotool", {"key", "ctrl+alt+p"}), 0);
        EXPECT_TRUE(spinUntil([&] { return ramp("DUMMY0") == calibration; }, 1s));
        EXPECT_EQ(run({"--get", "paused"}).second, "true");
        ASSERT_EQ(QProcess::execute("xdotool", {"key", "ctrl+alt+p"}), 0);
        EXPECT_TRUE(spinUntil([&] { return shows("DUMMY0", night); }, 1s));
        EXPECT_EQ(run({"--get", "paused"}).second, "false");
    }
}

} // namespace
