#include "app/command_line.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

struct ProcessResult {
    int status = -1;
    QString out;
    QString err;
};

ProcessResult runTintwell(const QStringList& args) {
    // --print reads the stored settings: give it an empty settings folder, not the user's.
    const QTemporaryDir config;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(TINTWELL_EXECUTABLE, args);
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(CommandLineTest, PrintJsonReportsTheSunForAPlaceAndInstant) {
    const ProcessResult r =
        runTintwell({"--print", "--json", "--location", "51.5,-0.1", "--at", "2024-06-21T14:00:00+02:00"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto j = nlohmann::json::parse(r.out.toStdString());
    EXPECT_EQ(j["latitude"], 51.5);
    EXPECT_EQ(j["longitude"], -0.1);
    EXPECT_EQ(j["time"], "2024-06-21T12:00:00Z");
    EXPECT_NEAR(j["altitude"].get<double>(), 61.93, 0.005);
    EXPECT_NEAR(j["azimuth"].get<double>(), 178.87, 0.005);
    EXPECT_EQ(j["curveKelvin"], 6500);
    EXPECT_EQ(j["nextIntervalSec"], 60);
}

TEST(CommandLineTest, PrintTextShowsTwoDecimalsAndTheNightCurve) {
    const ProcessResult r = runTintwell({"--print", "--location=0,0", "--at", "2000-01-02T00:00:00Z"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Kelvin:    3400 K")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("2000-01-02T00:00:00Z")) << r.out.toStdString();
}

TEST(CommandLineTest, BadInputIsOneLineOnStandardErrorAndStatusTwo) {
    struct Row {
        QStringList args;
        QString named;
    };
    const Row rows[] = {
        {{"--print", "--location", "91,0"}, "91"},
        {{"--print", "--location", "-90.5,0"}, "-90.5"},
        {{"--print", "--location", "10,180.01"}, "180.01"},
        {{"--print", "--location", "north,west"}, "north,west"},
        {{"--print", "--location", "10"}, "10"},
        {{"--print", "--location", "nan,0"}, "nan,0"},
        {{"--print", "--at", "yesterday"}, "yesterday"},
        {{"--print", "--at", "2024-06-21T12:00:00"}, "2024-06-21T12:00:00"},
        {{"--print", "--at", "2024-02-30T12:00:00Z"}, "2024-02-30T12:00:00Z"},
        {{"--frobnicate"}, "frobnicate"},
        {{"--print", "stray"}, "stray"},
        {{"--print", "--backend", "wayland"}, "wayland"},
    };
    for (const auto& row : rows) {
        const ProcessResult r = runTintwell(row.args);
        const auto label = row.args.join(' ').toStdString();
        EXPECT_EQ(r.status, 2) << label;
        EXPECT_TRUE(r.out.isEmpty()) << label;
        EXPECT_EQ(r.err.count('\n'), 1) << label << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(row.named)) << label << ": " << r.err.toStdString();
    }
}

TEST(CommandLineTest, ParsesInstantsWithZonesAndBefore1970) {
    struct Row {
        const char* text;
        double seconds;
    };
    const Row rows[] = {
        {"2024-06-21T12:00:00Z", 1718971200},     {"2024-06-21T14:00:00+02:00", 1718971200},
        {"2024-06-21T07:30:00-0430", 1718971200}, {"1969-12-31T23:59:59.5Z", -0.5},
        {"1900-01-01T00:00:00Z", -2208988800},
    };
    for (const auto& row : rows) {
        const auto t = parseInstant(row.text);
        ASSERT_TRUE(t) << row.text;
        EXPECT_DOUBLE_EQ(secondsSinceEpoch(*t), row.seconds) << row.text;
    }
}

} // namespace
} // namespace tintwell::app
