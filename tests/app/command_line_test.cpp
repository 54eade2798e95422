// The command line as a user meets it: the real program, one fresh process per call, on a private
// settings folder.
#include "app/cli/command_line.h"
#include "support/tintwell_process.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

namespace tintwell::app {
namespace {

class CommandLineTest : public ::testing::Test {
protected:
    QTemporaryDir config;
    QString path = config.path() + "/tintwell/defaults.json";

    test::Outcome run(const QStringList& args) const {
        return test::runTintwell(args, {{"XDG_CONFIG_HOME", config.path()}});
    }
    nlohmann::json print(const QString& at, const QStringList& extra = {}) const {
        const test::Outcome r = run(QStringList{"--print", "--json", "--at", at} + extra);
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

TEST_F(CommandLineTest, PrintReportsTheSunAndTheDecisionForWhatSetStored) {
    const test::Outcome set = run({"--set", "dayKelvin=6000", "latitude=48.85", "longitude=2.35"});
    ASSERT_EQ(set.status, 0) << set.err;
    const auto j = print("2024-06-21T14:00:00+02:00", {"--location", "51.5,-0.1"});
    EXPECT_EQ(j["latitude"], 51.5);
    EXPECT_EQ(j["longitude"], -0.1);
    EXPECT_EQ(j["time"], "2024-06-21T12:00:00Z");
    EXPECT_NEAR(j["altitude"].get<double>(), 61.93, 0.005);
    EXPECT_NEAR(j["azimuth"].get<double>(), 178.87, 0.005);
    EXPECT_EQ(j["curveKelvin"], 6000);
    EXPECT_EQ(j["nextIntervalSec"], 60);
    EXPECT_EQ(j["settingsFile"], path.toStdString());
    EXPECT_EQ(print(kNoon)["latitude"], 48.85);
    EXPECT_EQ(print(kMidnight)["curveKelvin"], 3400.0);
    const std::string text = run({"--print", "--at", kMidnight}).out;
    EXPECT_NE(text.find("Settings:  " + path.toStdString()), std::string::npos) << text;
    EXPECT_NE(text.find("2024-06-21T23:30:00Z"), std::string::npos) << text;
    EXPECT_NE(text.find("Kelvin:    3400 K"), std::string::npos) << text;
    EXPECT_EQ(run({"--get", "updateConsent"}).out, "undecided\n"); // a first set is no consent
    ASSERT_EQ(run({"--set", "manualOverride=true", "manualKelvin=2700"}).status, 0);
    EXPECT_EQ(print(kNoon)["curveKelvin"], 2700.0);
    ASSERT_EQ(run({"--set", "paused=true"}).status, 0); // over the manual value too
    EXPECT_EQ(print(kNoon)["curveKelvin"], 6500.0);
}

TEST_F(CommandLineTest, ScheduleAgreesWithPrintInItsTableAndListsTheEdges) {
    ASSERT_EQ(run({"--set", "latitude=52.5", "longitude=13.4"}).status, 0);
    const auto berlin = [&](const QStringList& args) {
        const test::Outcome r =
            test::runTintwell(args, {{"XDG_CONFIG_HOME", config.path()}, {"TZ", "Europe/Berlin"}});
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out);
    };
    const auto day = berlin({"--schedule", "--date", "2026-12-21", "--json"});
    EXPECT_EQ(day["hours"], 24);
    const auto& table = day["kelvin"];
    ASSERT_EQ(table.size(), 288u);
    EXPECT_EQ(table[0]["time"], "2026-12-21T00:00:00+01:00");
    const auto kelvinAt = [&](const std::string& time) {
        return berlin({"--print", "--json", "--at", QString::fromStdString(time)})["curveKelvin"]
            .get<double>();
    };
    for (const int row : {96, 100, 179, 194}) // 08:00, 08:20, 14:55, 16:10: inside the changes
        EXPECT_NEAR(table[row]["kelvin"].get<double>(), kelvinAt(table[row]["time"]), 1) << row;
    // Where each edge lies on the curve is the day schedule's own test; here, that they are listed.
    std::vector<std::string> events;
    for (const auto& e : day["events"])
        events.push_back(e["event"].get<std::string>() + " " + e["time"].get<std::string>().substr(11, 5));
    EXPECT_EQ(events, (std::vector<std::string>{"morningChangeStarts 07:33", "sunrise 08:21",
                                                "morningChangeEnds 09:19", "eveningChangeStarts 14:49",
                                                "sunset 15:46", "eveningChangeEnds 16:35"}));
    const std::string polar = run({"--schedule", "--date", "2026-12-21", "--location", "78.2,15.6"}).out;
    EXPECT_NE(polar.find("Polar night: the sun stays below the horizon all day."), std::string::npos)
        << polar;
    EXPECT_NE(polar.find("The tint stays at 3400 K all day."), std::string::npos) << polar;
}

TEST_F(CommandLineTest, BadInputIsOneLineOnStandardErrorAndStatusTwo) {
    const std::pair<QStringList, std::string> rows[] = {
        {{"--print", "--location", "91,0"}, "91"},
        {{"--print", "--location", "10,180.01"}, "180.01"},
        {{"--print", "--location", "north,west"}, "north,west"},
        {{"--print", "--location", "nan,0"}, "nan,0"},
        {{"--print", "--at", "yesterday"}, "yesterday"},
        {{"--print", "--at", "2024-06-21T12:00:00"}, "2024-06-21T12:00:00"},
        {{"--schedule", "--date", "2026-02-30"}, "2026-02-30"},
        {{"--schedule", "--at", "2024-06-21T12:00:00Z"}, "--at"},
        {{"--frobnicate"}, "frobnicate"},
        {{"--print", "stray"}, "stray"},
        // Each option once (which go with which mode: the registry test walks every pair).
        {{"--print", "--json", "--json"}, "--json"},
        {{"--print", "--at", "noon\n--oneshot 3000"}, "noon\\n--oneshot 3000"},
        // A refused assignment among good ones writes none of them.
        {{"--set", "dayKelvin=6000", "colour=1"}, "\"colour\""},
        {{"--get", "nosuch"}, "nosuch"},
    };
    for (const auto& [args, named] : rows) {
        const test::Outcome r = run(args);
        const auto label = args.join(' ').toStdString();
        EXPECT_EQ(r.status, 2) << label;
        EXPECT_TRUE(r.out.empty()) << label;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << label << ": " << r.err;
        EXPECT_NE(r.err.find(named), std::string::npos) << label << ": " << r.err;
    }
    EXPECT_FALSE(QFile::exists(path));
    // A save that fails (a folder not even root may create) is one line too, with status 1.
    for (const char* args : {"--set dayKelvin=5000", "--hotkey warmer=ctrl+alt+w"}) {
        const test::Outcome r = test::runTintwell(QString(args).split(' '), {{"XDG_CONFIG_HOME", "/proc"}});
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
    }
}

TEST_F(CommandLineTest, ReadOnlyCommandsLeaveAnUnreadableFileWhereItIs) {
    for (const QByteArray& bad : {QByteArray("{\"tintwell.dayKelvin\": 50"), QByteArray("[1]")}) {
        writeFile(bad);
        for (const QStringList& args : {QStringList{"--get"}, QStringList{"--print", "--at", kNoon},
                                        QStringList{"--hotkeys"}, QStringList{"--check-updates"}}) {
            const test::Outcome r = run(args);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_NE(r.err.find("could not be read"), std::string::npos) << r.err;
            EXPECT_EQ(file(), bad) << args.join(' ').toStdString();
        }
        EXPECT_EQ(QDir(config.path() + "/tintwell").entryList(QDir::Files).size(), 1);
    }
}

TEST_F(CommandLineTest, AFifoNamedLikeTheFileHangsNoMode) {
    ASSERT_TRUE(QDir().mkpath(config.path() + "/tintwell"));
    ASSERT_EQ(::mkfifo(path.toUtf8().constData(), 0600), 0);
    for (const QStringList& args : {QStringList{"--get"}, QStringList{"--print", "--at", kNoon},
                                    QStringList{"--set", "dayKelvin=5000"}}) {
        const test::Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << args.join(' ').toStdString() << ": " << r.err;
        EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    }
    EXPECT_EQ(run({"--get", "dayKelvin"}).out, "5000\n");
    EXPECT_EQ(
        QDir(config.path() + "/tintwell").entryList({"defaults.json.unreadable-*"}, QDir::System).size(), 1);
}

TEST_F(CommandLineTest, TwoRacingSetsLoseNothingOverManyRounds) {
    const auto env = test::environmentWith({{"XDG_CONFIG_HOME", config.path()}});
    for (int round = 0; round < 40; ++round) {
        const QString day = QString::number(3000 + round), night = QString::number(1000 + round);
        QProcess a, b;
        test::launch(a, {"--set", "dayKelvin=" + day}, env);
        test::launch(b, {"--set", "nightKelvin=" + night}, env);
        ASSERT_TRUE(a.waitForFinished(30000) && b.waitForFinished(30000));
        ASSERT_EQ(a.exitCode() + b.exitCode(), 0) << "round " << round;
        const std::string got = run({"--get", "dayKelvin", "nightKelvin"}).out;
        ASSERT_EQ(got, "dayKelvin=" + day.toStdString() + "\nnightKelvin=" + night.toStdString() + "\n")
            << "round " << round;
    }
}

TEST(ParseInstant, AcceptsZonesAndInstantsBefore1970) {
    const std::pair<const char*, double> rows[] = {
        {"2024-06-21T12:00:00Z", 1718971200},     {"2024-06-21T14:00:00+02:00", 1718971200},
        {"2024-06-21T07:30:00-0430", 1718971200}, {"1969-12-31T23:59:59.5Z", -0.5},
        {"1900-01-01T00:00:00Z", -2208988800},
    };
    for (const auto& [text, seconds] : rows) {
        const auto t = parseInstant(text);
        ASSERT_TRUE(t) << text;
        EXPECT_DOUBLE_EQ(secondsSinceEpoch(*t), seconds) << text;
    }
}

} // namespace
} // namespace tintwell::app
