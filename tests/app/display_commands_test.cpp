// The display commands end to end: the real program against the real test X server.

#include "app/command_line.h"
#include "engine/color_temperature.h"
#include "support/event_loop.h"
#include "support/x11_session.h"

#include <cmath>

#include <QProcess>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace tintwell;
using test::X11Session;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome tintwell(const QStringList& arguments, bool withDisplay = true) {
    QProcess p;
    if (!withDisplay) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
    }
    p.start(TINTWELL_BINARY, arguments);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

class DisplayCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the test X session (scripts/test-session)";
        before = activeCrtcs().size();
        ASSERT_TRUE(X11Session::switchOn("DUMMY13", 8192)); // one more monitor, to be sure all are reached
    }
    void TearDown() override {
        tintwell({"--reset"});
        X11Session::switchOff("DUMMY13");
    }

    std::vector<xcb_randr_crtc_t> activeCrtcs() {
        std::vector<xcb_randr_crtc_t> crtcs;
        for (int i = 0; i < 16; ++i)
            if (const auto o = session.output("DUMMY" + std::to_string(i));
                o && session.crtcOf(*o) != XCB_NONE)
                crtcs.push_back(session.crtcOf(*o));
        return crtcs;
    }
    void expectEveryCrtcShows(const engine::TransferTables& t) {
        const auto crtcs = activeCrtcs();
        ASSERT_EQ(crtcs.size(), before + 1);
        for (xcb_randr_crtc_t crtc : crtcs) {
            const auto ramp = session.readRamp(crtc);
            ASSERT_EQ(ramp.r.size(), 256u);
            for (std::size_t i = 0; i < 256; ++i) {
                EXPECT_NEAR(ramp.r[i] / 65535.0, t.r[i], 1 / 65535.0) << "crtc " << crtc << " red " << i;
                EXPECT_NEAR(ramp.g[i] / 65535.0, t.g[i], 1 / 65535.0) << "crtc " << crtc << " green " << i;
                EXPECT_NEAR(ramp.b[i] / 65535.0, t.b[i], 1 / 65535.0) << "crtc " << crtc << " blue " << i;
            }
        }
    }

    X11Session session;
    std::size_t before = 0;
};

TEST_F(DisplayCommandsTest, OneshotTintsEveryActiveCrtcAndResetGivesIdentity) {
    const Outcome run = tintwell({"--oneshot", "3400"});
    ASSERT_EQ(run.status, 0) << run.err;
    expectEveryCrtcShows(engine::ColorTemperature::gammaRamp(3400, 1, 1));

    ASSERT_EQ(tintwell({"--oneshot", "2700", "--brightness", "0.8", "--gamma", "1.2"}).status, 0);
    expectEveryCrtcShows(engine::ColorTemperature::gammaRamp(2700, 0.8, 1.2));

    ASSERT_EQ(tintwell({"--reset"}).status, 0);
    const auto id = engine::ColorTemperature::identityTable();
    expectEveryCrtcShows({id, id, id});
}

TEST_F(DisplayCommandsTest, ListDisplaysJsonListsEveryActiveOutputWithAKey) {
    const Outcome run = tintwell({"--list-displays", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto list = nlohmann::json::parse(run.out);
    ASSERT_EQ(list.size(), activeCrtcs().size());
    for (const auto& d : list) {
        EXPECT_EQ(d.at("key").get<std::string>().size(), 36u);
        EXPECT_EQ(d.at("gammaSize"), 256);
        EXPECT_TRUE(d.at("mirrorOf").is_null());
    }
    EXPECT_EQ(list[0].at("name"), "DUMMY0");
    EXPECT_EQ(list[0].at("main"), true);
    EXPECT_EQ(list.back().at("name"), "DUMMY13");
    EXPECT_EQ(list.back().at("bounds").at("x"), 8192);
}

TEST_F(DisplayCommandsTest, FailuresAreOneClearLine) {
    const struct {
        QStringList arguments;
        bool withDisplay;
        int status;
        std::string message;
    } rows[] = {
        {{"--oneshot", "3400"}, false, 1, "tintwell: No X display: DISPLAY is not set.\n"},
        {{"--list-displays"}, false, 1, "tintwell: No X display: DISPLAY is not set.\n"},
        {{"--reset", "--backend", "virtual:0"},
         true,
         1,
         "tintwell: No display with a gamma ramp was found.\n"},
        {{"--oneshot", "900"},
         true,
         2,
         "tintwell: Invalid Kelvin value \"900\": expected a number from 1000 to 40000.\n"},
        {{"--oneshot", "3400", "--gamma", "nan"},
         true,
         2,
         "tintwell: Invalid gamma \"nan\": expected a number from 0.1 to 10.\n"},
        {{"--reset", "--brightness", "0.5"},
         true,
         2,
         "tintwell: --brightness and --gamma go with --oneshot.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const Outcome run = tintwell(row.arguments, row.withDisplay);
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.err, row.message);
    }
}

} // namespace
