// The program on a Wayland compositor of our own (tests/support/test_compositor), with no X display:
// the tables it writes are those RandR gets for the same decision, `--action` pauses it through a
// private session bus, and pause and quit give every output's gamma control back.

#include "core/color_temperature.h"
#include "support/event_loop.h"
#include "support/expected_table.h"
#include "support/private_bus.h"
#include "support/test_compositor.h"
#include "support/tintwell_process.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace tintwell;
using test::spinUntil;
using test::TestCompositor;

namespace {

class WaylandApp : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        ASSERT_TRUE(dir.isValid());
        ASSERT_FALSE(bus.address().isEmpty()) << "needs dbus-daemon";
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
        TestCompositor::OutputSetup a, b;
        a.name = "DP-1";
        b.name = "DP-2";
        b.x = 1920;
        b.gammaSize = 1024;
        compositor = std::make_unique<TestCompositor>(std::vector{a, b});
        env.remove("DISPLAY");
        env.insert("WAYLAND_DISPLAY", qEnvironmentVariable("XDG_RUNTIME_DIR") + "/" +
                                          QString::fromStdString(compositor->socket()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_STATE_HOME", dir.filePath("state"));
        test::storeMidnightPlace(dir.filePath("config/tintwell/defaults.json").toStdString());
    }
    void TearDown() override {
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished(5000);
        }
    }
    std::pair<int, std::string> run(const QStringList& arguments) {
        const test::Outcome r = test::runTintwellIn(env, arguments);
        return {r.status, r.out + r.err};
    }
    /// The last table on output `index` is the RandR ramp of `tables` at the output's size.
    bool shows(int index, const core::TransferTables& tables, int size) {
        const auto all = compositor->tables(index);
        return !all.empty() && test::isExpectedTable(all.back(), tables, size);
    }

    QTemporaryDir dir;
    test::PrivateBus bus;
    std::unique_ptr<TestCompositor> compositor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess app;
};

TEST_F(WaylandApp, TintsEveryOutputAndGivesTheControlsBackOnPauseAndQuit) {
    const auto listed = nlohmann::json::parse(run({"--list-displays", "--json"}).second, nullptr, false);
    ASSERT_EQ(listed.size(), 2u) << listed;
    EXPECT_EQ(listed[0].at("backend"), "wayland");
    EXPECT_EQ(listed[1].at("gammaSize"), 1024);
    // A tint cannot outlive its program there: --oneshot says so, --reset has nothing to do.
    EXPECT_EQ(run({"--oneshot", "3400"}).first, 1);
    EXPECT_EQ(run({"--reset"}).first, 0);

    ASSERT_TRUE(test::launch(app, {}, env));
    const auto night = core::ColorTemperature::gammaRamp(3400, 1, 1);
    ASSERT_TRUE(
        spinUntil([&] { return shows(0, night, 256) && shows(1, night, 1024); }, std::chrono::seconds(15)))
        << app.readAllStandardError().toStdString();
    EXPECT_TRUE(compositor->errors().empty());

    const auto status = nlohmann::json::parse(run({"--status", "--json"}).second, nullptr, false);
    EXPECT_EQ(status.value("backend", ""), "wayland") << status;

    EXPECT_EQ(run({"--action", "togglePause"}).first, 0);
    EXPECT_TRUE(spinUntil([&] { return !compositor->controlled(0) && !compositor->controlled(1); }));
    EXPECT_EQ(run({"--action", "resume"}).first, 0);
    EXPECT_TRUE(spinUntil([&] { return compositor->controlled(0) && compositor->controlled(1); }));

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_FALSE(compositor->controlled(0) || compositor->controlled(1));
    // No system tray here (offscreen, no status watcher on the bus): said once, and it ran on all the same.
    EXPECT_EQ(QString(app.readAllStandardError()).count("No system tray"), 1);
}

} // namespace
