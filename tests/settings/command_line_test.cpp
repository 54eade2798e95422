// The settings file as the tintwell program itself writes and reads it, one fresh process per call.
#include "support/event_loop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class TintwellProcess : public ::testing::Test {
protected:
    static void SetUpTestSuite() { tintwell::test::application(); }

    QTemporaryDir config;
    QString path = config.path() + "/tintwell/defaults.json";

    Outcome run(const QStringList& args) const {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        p.setProcessEnvironment(env);
        p.start(TINTWELL_BINARY, args);
        EXPECT_TRUE(p.waitForFinished(30000)) << args.join(' ').toStdString();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }
    nlohmann::json print(const QString& at, const QStringList& extra = {}) const {
        const Outcome r = run(QStringList{"--print", "--json", "--at", at} + extra);
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out);
    }
    QByteArray file() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QByteArray& text) const {
        QDir().mkpath(config.path() + "/tintwell");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
};

const QString kNoon = "2024-06-21T12:00:00Z";
const QString kMidnight = "2024-06-21T23:30:00Z";

} // namespace

TEST_F(TintwellProcess, PrintFollowsWhatSetStored) {
    const Outcome set = run({"--set", "dayKelvin=6000", "latitude=48.85", "longitude=2.35"});
    ASSERT_EQ(set.status, 0) << set.err;
    const auto noon = print(kNoon);
    EXPECT_EQ(noon["latitude"], 48.85);
    EXPECT_EQ(noon["longitude"], 2.35);
    EXPECT_EQ(noon["curveKelvin"], 6000.0);
    EXPECT_EQ(noon["settingsFile"], path.toStdString());
    EXPECT_EQ(print(kMidnight)["curveKelvin"], 3400.0);
    EXPECT_EQ(print(kNoon, {"--location", "-33.9,151.2"})["latitude"], -33.9);
    EXPECT_NE(run({"--print", "--at", kNoon}).out.find("Settings:  " + path.toStdString()),
              std::string::npos);
    EXPECT_TRUE(file().contains("\"tintwell.dayKelvin\": 6000.0"));
}

TEST_F(TintwellProcess, AStringUnderDayKelvinReadsAsTheDefault) {
    const QByteArray stored =
        R"({"tintwell.dayKelvin": "5000", "tintwell.latitude": 48.85, "tintwell.longitude": 2.35})";
    writeFile(stored);
    EXPECT_EQ(print(kNoon)["curveKelvin"], 6500.0);
    EXPECT_EQ(run({"--get", "dayKelvin"}).out, "6500\n");
    EXPECT_EQ(file(), stored); // reading never writes
}

TEST_F(TintwellProcess, RefusedAssignmentsWriteNothing) {
    ASSERT_EQ(run({"--set", "nightKelvin=3000"}).status, 0);
    const QByteArray before = file();
    struct Row {
        QStringList pairs;
        std::string named;
    };
    for (const auto& row :
         std::vector<Row>{{{"dayKelvin=6000", "colour=1"}, "\"colour\""},
                          {{"dayKelvin=warm"}, "\"warm\" for dayKelvin"},
                          {{"paused=yes"}, "paused"},
                          {{"latitude=91"}, "latitude"},
                          {{"manualOverrideUntil=2030-01-01T00:00:00"}, "manualOverrideUntil"},
                          {{"updateConsent=Allowed"}, "updateConsent"},
                          {{"dayKelvin"}, "\"dayKelvin\""}}) {
        const Outcome r = run(QStringList{"--set"} + row.pairs);
        EXPECT_EQ(r.status, 2) << row.named;
        EXPECT_NE(r.err.find(row.named), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(file(), before) << row.named;
    }
    EXPECT_EQ(run({"--get", "nosuch"}).status, 2);
}

TEST_F(TintwellProcess, ManualOverrideAndPauseRulesApply) {
    ASSERT_EQ(run({"--set", "manualOverride=true", "manualKelvin=2700",
                   "manualOverrideUntil=2030-01-01T01:00:00+01:00"})
                  .status,
              0);
    EXPECT_EQ(run({"--get", "manualOverrideUntil"}).out, "2030-01-01T00:00:00Z\n");
    EXPECT_EQ(print(kNoon)["curveKelvin"], 2700.0);
    ASSERT_EQ(run({"--set", "manualOverride=false"}).status, 0);
    EXPECT_EQ(run({"--get", "manualOverrideUntil"}).out, "none\n");
    ASSERT_EQ(run({"--set", "paused=true"}).status, 0);
    EXPECT_EQ(print(kMidnight)["curveKelvin"], 6500.0);
}

TEST_F(TintwellProcess, KeysOfOtherPartsSurviveAndDoNotCountAsConsent) {
    writeFile(R"({"GlobalShortcuts_tintwell.warmer": false, "SUEnableAutomaticChecks": true})");
    EXPECT_EQ(run({"--get", "updateConsent"}).out, "undecided\n");
    ASSERT_EQ(run({"--set", "gamma=1.2"}).status, 0);
    EXPECT_EQ(run({"--get", "updateConsent"}).out, "allowed\n");
    const auto stored = nlohmann::json::parse(file().toStdString());
    EXPECT_EQ(stored["GlobalShortcuts_tintwell.warmer"], false);
    EXPECT_EQ(stored["SUEnableAutomaticChecks"], true);
    EXPECT_EQ(stored["tintwell.gamma"], 1.2);
    EXPECT_EQ(stored.size(), 15u);
}
