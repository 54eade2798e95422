// The application's first location on a machine without GeoClue: the time zone's principal city is
// stored and the displays are tinted for it.

#include "core/color_temperature.h"
#include "core/scheduler_core.h"
#include "core/solar_engine.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"
#include "support/event_loop.h"
#include "support/x11_session.h"

#include <chrono>
#include <cmath>

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;

namespace {

constexpr double tokyoLatitude = 35.6544, tokyoLongitude = 139.7447;

double kelvinAt(double latitude, double longitude) {
    const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
    const double altitude = core::SolarEngine::position(latitude, longitude, now).altitude;
    return core::SchedulerCore::curveKelvin(altitude, 6500, 3400, 12);
}

/// A longitude on the equator where it is now local solar noon, or midnight.
double longitudeAtSolarHour(double hour) {
    const double utcHours =
        std::fmod(secondsSinceEpoch(instantFromSystemClock(std::chrono::system_clock::now())), 86400.0) /
        3600.0;
    return std::remainder(15.0 * (hour - utcHours), 360.0);
}

bool shows(const test::Ramp& ramp, const core::TransferTables& t) {
    const auto channel = [](const std::vector<std::uint16_t>& levels, const core::TransferTable& table) {
        if (levels.size() != table.size())
            return false;
        for (std::size_t i = 0; i < levels.size(); ++i)
            if (std::abs(levels[i] - table[i] * 65535.0) > 3)
                return false;
        return true;
    };
    return channel(ramp.r, t.r) && channel(ramp.g, t.g) && channel(ramp.b, t.b);
}

TEST(LocationEndToEnd, AFirstStartWithoutGeoClueTintsByTheTimeZonesCity) {
    test::application();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the test X session (scripts/test-session)";
    test::X11Session session;
    ASSERT_TRUE(session.ok());
    const auto output = session.output("DUMMY0");
    ASSERT_TRUE(output);
    const xcb_randr_crtc_t crtc = session.crtcOf(*output);

    // Start from a place whose sky differs from Tokyo's now, so that only Tokyo's tint can pass.
    const bool tokyoIsBright = kelvinAt(tokyoLatitude, tokyoLongitude) > 4950;
    QTemporaryDir dir;
    const std::string file = dir.filePath("config/tintwell/defaults.json").toStdString();
    {
        settings::JsonFileUserDefaults defaults(file);
        settings::AppState state(defaults);
        state.setLatitude(0);
        state.setLongitude(longitudeAtSolarHour(tokyoIsBright ? 0 : 12));
    }

    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");
    env.insert("TZ", "Asia/Tokyo");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
    QFile::setPermissions(dir.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(TINTWELL_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));

    const bool tinted = test::spinUntil(
        [&] {
            return shows(session.readRamp(crtc),
                         core::ColorTemperature::gammaRamp(kelvinAt(tokyoLatitude, tokyoLongitude), 1, 1));
        },
        2s);
    app.terminate();
    app.waitForFinished(10000);
    QProcess::execute(TINTWELL_BINARY, {"--reset"});
    EXPECT_TRUE(tinted) << app.readAllStandardError().toStdString();

    settings::JsonFileUserDefaults defaults(file);
    const settings::AppState stored(defaults);
    EXPECT_NEAR(stored.latitude(), 35.65, 0.01);
    EXPECT_NEAR(stored.longitude(), 139.74, 0.01);
}

} // namespace
