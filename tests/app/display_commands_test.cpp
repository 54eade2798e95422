// The display commands end to end: the real program against the real test X server.

#include "core/color_temperature.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"
#include "support/event_loop.h"
#include "support/test_window.h"
#include "support/tintwell_process.h"
#include "support/x11_session.h"

#include <regex>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace tintwell;
using test::runTintwell;
using test::X11Session;

namespace {

class DisplayCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the test X session (scripts/test-session)";
        before = session.activeOutputs().size();
        ASSERT_TRUE(X11Session::switchOn("DUMMY13", 8192)); // one more monitor, to be sure all are reached
    }
    void TearDown() override {
        runTintwell({"--reset"});
        X11Session::switchOff("DUMMY13");
    }

    void expectEveryCrtcShows(const core::TransferTables& t) {
        const auto names = session.activeOutputs();
        ASSERT_EQ(names.size(), before + 1);
        for (const std::string& name : names)
            EXPECT_TRUE(test::rampShows(session.readRamp(session.crtcOf(name)), t, 1)) << name;
    }

    X11Session session;
    std::size_t before = 0;
};

TEST_F(DisplayCommandsTest, OneshotTintsEveryActiveCrtcAndResetGivesIdentity) {
    const QTemporaryDir runtime; // a record of the ramps would make the next start undo this tint
    const auto run = runTintwell({"--oneshot", "3400"}, {{"XDG_RUNTIME_DIR", runtime.path()}});
    ASSERT_EQ(run.status, 0) << run.err;
    expectEveryCrtcShows(core::ColorTemperature::gammaRamp(3400, 1, 1));
    EXPECT_TRUE(QDir(runtime.path()).isEmpty());

    ASSERT_EQ(runTintwell({"--oneshot", "2700", "--brightness", "0.8", "--gamma", "1.2"}).status, 0);
    expectEveryCrtcShows(core::ColorTemperature::gammaRamp(2700, 0.8, 1.2));

    ASSERT_EQ(runTintwell({"--reset"}).status, 0);
    const auto id = core::ColorTemperature::identityTable();
    expectEveryCrtcShows({id, id, id});
}

TEST_F(DisplayCommandsTest, ListDisplaysJsonListsEveryActiveOutputWithAKey) {
    const auto run = runTintwell({"--list-displays", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto list = nlohmann::json::parse(run.out);
    ASSERT_EQ(list.size(), session.activeOutputs().size());
    const std::regex keyForm("[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    for (const auto& d : list) {
        EXPECT_TRUE(std::regex_match(d.at("key").get<std::string>(), keyForm)) << d.at("key");
        EXPECT_EQ(d.at("gammaSize"), 256);
        EXPECT_EQ(d.at("backend"), "x11");
        EXPECT_TRUE(d.at("mirrorOf").is_null());
        EXPECT_EQ(d.at("main"), &d == &list[0]); // the session makes DUMMY0 primary
    }
    EXPECT_EQ(list[0].at("name"), "DUMMY0");
    EXPECT_EQ(list[0].at("bounds"),
              nlohmann::json::parse(R"({"x": 0, "y": 0, "width": 1280, "height": 800})"));
    EXPECT_EQ(list.back().at("name"), "DUMMY13");
    EXPECT_EQ(list.back().at("bounds").at("x"), 8192);
}

TEST_F(DisplayCommandsTest, PrintWithAnExceptionInForceSaysItOnStandardOutputOnly) {
    const QTemporaryDir config;
    settings::JsonFileUserDefaults defaults(config.filePath("tintwell/defaults.json").toStdString());
    settings::AppState(defaults).setAppExceptions({{"PrintProbe", "Probe", core::ForceKelvin{2700}, true}});
    settings::AppState(defaults).setLatitude(48.85);
    test::TestWindow window("PrintProbe", "200x150+40+40");
    ASSERT_TRUE(window.activate());
    const auto run = runTintwell({"--print", "--json"}, {{"XDG_CONFIG_HOME", config.path()}});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out).at("displays").at(0).at("decision").at("kelvin"), 2700);
    EXPECT_EQ(run.err, "");
}

TEST_F(DisplayCommandsTest, FailuresAreOneClearLine) {
    const struct {
        const char* arguments;
        bool withDisplay;
        int status;
        const char* message;
    } rows[] = {
        {"--oneshot 3400", false, 1, "No display to tint: neither WAYLAND_DISPLAY nor DISPLAY is set."},
        {"--list-displays --backend x11", false, 1, "No X display: DISPLAY is not set."},
        {"--list-displays --backend wayland", true, 1, "No Wayland display: WAYLAND_DISPLAY is not set."},
        {"--reset --backend virtual:0", true, 1, "No display with a gamma ramp was found."},
        {"--oneshot 900", true, 2, "Invalid Kelvin value \"900\": expected a number from 1000 to 40000."},
        {"--oneshot 3400 --gamma nan", true, 2, "Invalid gamma \"nan\": expected a number from 0.1 to 10."},
        {"--reset --brightness 0.5", true, 2, "--brightness does not go with --reset."},
    };
    const QString display = qEnvironmentVariable("DISPLAY");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const auto run =
            runTintwell(QString(row.arguments).split(' '),
                        {{"DISPLAY", row.withDisplay ? display : QString()}, {"WAYLAND_DISPLAY", {}}});
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.err, "tintwell: " + std::string(row.message) + "\n");
    }
}

} // namespace
