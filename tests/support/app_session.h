#pragma once

// The tintwell program on the test X server, with settings, state and runtime folders of its own and
// a location where it is now local solar midnight. The test target defines TINTWELL_BINARY.

#include "core/color_temperature.h"
#include "core/solar_engine.h"
#include "support/event_loop.h"
#include "support/tintwell_process.h"
#include "support/x11_session.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tintwell::test {

inline const core::TransferTables night = core::ColorTemperature::gammaRamp(3400, 1, 1);

/// Whether two ramps agree within `tolerance` levels of 16 bits each.
inline bool rampsNear(const Ramp& a, const Ramp& b, int tolerance = 3) {
    const auto channel = [&](const std::vector<std::uint16_t>& x, const std::vector<std::uint16_t>& y) {
        return x.size() == y.size() &&
               std::ranges::equal(x, y, [&](int p, int q) { return std::abs(p - q) <= tolerance; });
    };
    return channel(a.r, b.r) && channel(a.g, b.g) && channel(a.b, b.b);
}

inline Ramp identityRamp(std::size_t size = 256) {
    std::vector<std::uint16_t> levels;
    for (std::size_t i = 0; i < size; ++i)
        levels.push_back(std::uint16_t(std::lround(65535.0 * double(i) / double(size - 1))));
    return {levels, levels, levels};
}

class AppSession : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the test X session (scripts/test-session)";
        ASSERT_TRUE(session.ok() && dir.isValid());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_STATE_HOME", dir.filePath("state"));
        env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
        ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
        QFile::setPermissions(dir.filePath("runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        midnightLongitude = storeMidnightPlace(settingsFile());
    }
    void TearDown() override {
        for (QProcess* p : {&app, &other})
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(10000))
                    p->kill();
            }
        QProcess::execute(TINTWELL_BINARY, {"--reset"});
    }

    std::string settingsFile() const { return dir.filePath("config/tintwell/defaults.json").toStdString(); }
    void start(QProcess& p, const QStringList& arguments = {}) { start(p, env, arguments); }
    void start(QProcess& p, const QProcessEnvironment& environment, const QStringList& arguments = {}) {
        ASSERT_TRUE(launch(p, arguments, environment));
    }
    /// Runs a one-shot command to its end: exit code and trimmed standard output.
    std::pair<int, std::string> run(const QStringList& arguments) {
        const Outcome r = runTintwellIn(env, arguments);
        return {r.status, QString::fromStdString(r.out).trimmed().toStdString()};
    }

    xcb_randr_crtc_t crtc(const std::string& name) { return session.crtcOf(name); }
    Ramp ramp(const std::string& name) { return session.readRamp(crtc(name)); }
    bool shows(const std::string& name, const core::TransferTables& t) { return rampShows(ramp(name), t); }

    X11Session session;
    QTemporaryDir dir;
    double midnightLongitude = 0; ///< on the equator, where it is local solar midnight at SetUp
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess app, other;
};

} // namespace tintwell::test
