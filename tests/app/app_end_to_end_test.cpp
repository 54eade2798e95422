// The application end to end: the real program on the real test X server, with its own settings
// folder and runtime folder, its colours read back from a second connection.

#include "core/application_id.h"
#include "support/app_session.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <nlohmann/json.hpp>

using namespace tintwell;
using namespace std::chrono_literals;
using test::night;
using test::spinUntil;

namespace {

class AppEndToEnd : public test::AppSession {
protected:
    nlohmann::json runJson(const QStringList& arguments) {
        QProcess p;
        start(p, arguments);
        p.waitForFinished(30000);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return nlohmann::json::parse(p.readAllStandardOutput().toStdString(), nullptr, false);
    }
    std::string keyOf(const std::string& name) {
        for (const auto& d : runJson({"--list-displays", "--json"}))
            if (d.at("name") == name)
                return d.at("key");
        return {};
    }
    bool allShow(const core::TransferTables& t) {
        const auto names = session.activeOutputs();
        return !names.empty() && std::ranges::all_of(names, [&](const auto& n) { return shows(n, t); });
    }
};

TEST_F(AppEndToEnd, ASetBesideTheRunningApplicationShowsWithinASecondAndIsNeverReverted) {
    start(app);
    ASSERT_TRUE(spinUntil([&] { return allShow(night); }));
    const auto stored = [&] {
        QFile f(dir.filePath("config/tintwell/defaults.json"));
        return f.open(QIODevice::ReadOnly) ? nlohmann::json::parse(f.readAll().toStdString(), nullptr, false)
                                           : nlohmann::json();
    };
    const auto set = [&](const QStringList& pairs) {
        QProcess p;
        start(p, QStringList{"--set"} + pairs);
        return p.waitForFinished(10000) && p.exitCode() == 0;
    };
    ASSERT_TRUE(set({"nightKelvin=2000"}));
    const auto colder = core::ColorTemperature::gammaRamp(2000, 1, 1);
    EXPECT_TRUE(spinUntil([&] { return allShow(colder); }, 1s));

    // The application saves by itself when a manual override ends; this one ended long ago.
    ASSERT_TRUE(set({"manualOverride=true", "manualOverrideUntil=2000-01-01T00:00:00Z"}));
    ASSERT_TRUE(spinUntil([&] { return stored().value("tintwell.manualOverride", true) == false; }));
    EXPECT_EQ(stored().at("tintwell.nightKelvin"), 2000.0);
    EXPECT_TRUE(allShow(colder));
}

TEST_F(AppEndToEnd, ADisplayOverrideGivesOneMonitorItsOwnKelvin) {
    const std::string key = keyOf("DUMMY1");
    ASSERT_EQ(key.size(), 36u);
    store([&](settings::AppState& s) { s.setDisplayOverrides({{key, {6500, 2700, 12, 1, 1, 5000}}}); });
    start(app);
    const auto own = core::ColorTemperature::gammaRamp(2700, 1, 1);
    EXPECT_TRUE(spinUntil([&] { return shows("DUMMY0", night) && shows("DUMMY1", own); }));
}

TEST_F(AppEndToEnd, ASecondInstanceIsRefusedWhileOneShotCommandsStillRun) {
    start(app);
    ASSERT_TRUE(spinUntil([&] { return allShow(night); }));
    // The name is claimed just after the first evaluation.
    ASSERT_TRUE(spinUntil([] {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(core::applicationId).value();
    }));

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(second.readAllStandardError().toStdString(),
              "Tintwell is already running (pid " + std::to_string(app.processId()) + ").\n");
    // ... and, as a launcher click should, brings the running one's popup forward.
    QByteArray log;
    EXPECT_TRUE(spinUntil([&] {
        return (log += app.readAllStandardError()).contains("ShowPopup requested");
    })) << log.toStdString();

    const auto print = runJson({"--print", "--json"});
    ASSERT_TRUE(print.is_object());
    EXPECT_EQ(print.at("action"), "applyDecisions");
    ASSERT_EQ(print.at("displays").size(), session.activeOutputs().size());
    for (const auto& d : print.at("displays"))
        EXPECT_EQ(d.at("decision").at("kelvin"), 3400) << d.dump();
    EXPECT_EQ(app.state(), QProcess::Running);
}

TEST_F(AppEndToEnd, StatusReportsTheRunningInstanceAndHearsAPauseOverDBus) {
    QProcess none;
    start(none, {"--status"});
    ASSERT_TRUE(none.waitForFinished(10000));
    EXPECT_EQ(none.exitCode(), 1);
    EXPECT_EQ(none.readAllStandardError().toStdString(), "Tintwell is not running.\n");

    start(app);
    ASSERT_TRUE(spinUntil([&] { return allShow(night); }));

    const auto status = runJson({"--status", "--json"});
    ASSERT_TRUE(status.is_object());
    EXPECT_EQ(status.at("currentKelvin"), 3400.0);
    EXPECT_LT(status.at("currentAltitude").get<double>(), -60);
    EXPECT_EQ(status.at("paused"), false);

    // As a panel applet or `busctl --user set-property` would; dbus-send comes with the bus itself.
    ASSERT_EQ(QProcess::execute("dbus-send",
                                {"--session", "--print-reply", QString("--dest=") + core::applicationId,
                                 "/org/tintwell/Tintwell", "org.freedesktop.DBus.Properties.Set",
                                 QString("string:") + core::applicationId, "string:Paused",
                                 "variant:boolean:true"}),
              0);
    // What pausing gives back is the calibration tests' concern; here, that the running program heard it.
    EXPECT_TRUE(spinUntil(
        [&] {
            return runJson({"--status", "--json"}).value("paused", false);
        },
        1s))
        << app.readAllStandardError().toStdString();
}

} // namespace
