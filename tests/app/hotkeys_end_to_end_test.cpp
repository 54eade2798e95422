// A hotkey assigned on the command line, pressed with xdotool while the application runs on the
// test X server.

#include "core/color_temperature.h"
#include "core/solar_engine.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"
#include "support/event_loop.h"
#include "support/x11_session.h"

#include <chrono>
#include <cmath>

#include <QProcess>
#include <QTemporaryDir>

#include <xcb/xcb_keysyms.h>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;
using test::spinUntil;

namespace {

const core::TransferTables night = core::ColorTemperature::gammaRamp(3400, 1, 1);

/// Whether another client has grabbed Ctrl+Alt+`keysym` on the root window; grabs nothing itself.
bool grabbedElsewhere(xcb_keysym_t keysym) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const xcb_keycode_t code = codes ? codes[0] : 0;
    std::free(codes);
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_grab_key_checked(c, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, code,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool held = error != nullptr;
    std::free(error);
    xcb_key_symbols_free(symbols);
    xcb_disconnect(c); // lets go of a grab it did get
    return held;
}

class HotkeysEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the test X session (scripts/test-session)";
        ASSERT_TRUE(session.ok() && dir.isValid());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
        ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
        QFile::setPermissions(dir.filePath("runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // Local solar midnight on the equator.
        const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
        const double longitude =
            std::remainder(-15.0 * std::fmod(secondsSinceEpoch(now), 86400.0) / 3600.0, 360.0);
        settings::JsonFileUserDefaults defaults(dir.filePath("config/tintwell/defaults.json").toStdString());
        settings::AppState state(defaults);
        state.setUseAutoLocation(false);
        state.setLatitude(0);
        state.setLongitude(longitude);
    }
    void TearDown() override {
        if (app.state() != QProcess::NotRunning) {
            app.terminate();
            app.waitForFinished(10000);
        }
        if (numLockOn)
            QProcess::execute("xdotool", {"key", "Num_Lock"});
        QProcess::execute(TINTWELL_BINARY, {"--reset"});
    }
    std::pair<int, std::string> run(const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(TINTWELL_BINARY, arguments);
        p.waitForFinished(30000);
        return {p.exitCode(), p.readAllStandardOutput().trimmed().toStdString()};
    }
    test::Ramp dummy0() {
        const auto output = session.output("DUMMY0");
        return session.readRamp(output ? session.crtcOf(*output) : XCB_NONE);
    }
    bool dummy0Shows(const core::TransferTables& t) {
        const test::Ramp ramp = dummy0();
        if (ramp.r.size() != 256)
            return false;
        for (std::size_t i = 0; i < 256; ++i)
            if (std::abs(ramp.r[i] - t.r[i] * 65535.0) > 2 || std::abs(ramp.b[i] - t.b[i] * 65535.0) > 2)
                return false;
        return true;
    }

    test::X11Session session;
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess app;
    bool numLockOn = false;
};

TEST_F(HotkeysEndToEnd, APressPausesAndTheNextTintsAgainAlsoWithNumLock) {
    ASSERT_EQ(run({"--hotkey", "togglePause=Ctrl+Alt+P"}).first, 0);
    const test::Ramp calibration = dummy0();
    app.setProcessEnvironment(env);
    app.start(TINTWELL_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));
    ASSERT_TRUE(spinUntil([&] { return dummy0Shows(night) && grabbedElsewhere('p'); }))
        << app.readAllStandardError().toStdString();

    for (const bool numLock : {false, true}) {
        SCOPED_TRACE(numLock ? "NumLock on" : "NumLock off");
        if (numLock) {
            ASSERT_EQ(QProcess::execute("xdotool", {"key", "Num_Lock"}), 0);
            numLockOn = true;
        }
        ASSERT_EQ(QProcess::execute("xdotool", {"key", "ctrl+alt+p"}), 0);
        EXPECT_TRUE(spinUntil([&] { return dummy0() == calibration; }, 1s));
        EXPECT_EQ(run({"--get", "paused"}).second, "true");
        ASSERT_EQ(QProcess::execute("xdotool", {"key", "ctrl+alt+p"}), 0);
        EXPECT_TRUE(spinUntil([&] { return dummy0Shows(night); }, 1s));
        EXPECT_EQ(run({"--get", "paused"}).second, "false");
    }
}

} // namespace
