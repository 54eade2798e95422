// Every scalar setting, walked from its row: through a real settings file, through --set and --get,
// and through the running application's re-evaluation. A new row is covered here with no line of its own.
#include "app/app_delegate.h"
#include "app/cli/settings_command.h"
#include "engine/gamma_controller.h"
#include "platform/virtual/virtual_display_services.h"
#include "scheduling/clock.h"
#include "scheduling/tick_loop.h"
#include "settings/app_state.h"
#include "support/event_loop.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tintwell::settings {
namespace {

using namespace std::chrono_literals;

using core::SettingRow;
using core::SettingType;

/// A value of the row's type other than its default, how --set spells it, and one it refuses.
struct Sample {
    SettingValue value;
    std::string text;
    std::string refused;
};

std::string shortest(double v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

Sample sampleOf(const SettingRow& row) {
    switch (row.type) {
    case SettingType::Number: {
        const double v = std::get<double>(row.fallback) == row.range.max ? row.range.min : row.range.max;
        return {v, shortest(v), shortest(row.range.max + 1)};
    }
    case SettingType::Boolean:
        return {!std::get<bool>(row.fallback), std::get<bool>(row.fallback) ? "false" : "true", "yes"};
    case SettingType::InstantOrNone:
        return {std::optional(instantFromSecondsSinceEpoch(1893456000)), "2030-01-01T00:00:00Z",
                "2030-01-01T00:00:00"};
    case SettingType::ChannelText:
        return {std::string("beta"), "beta", "nightly"};
    case SettingType::Consent:
        return {UpdateConsent::Declined, "declined", "Allowed"};
    }
    return {};
}

struct SettingsFile {
    QTemporaryDir dir;
    std::string path = dir.filePath("defaults.json").toStdString();
    nlohmann::json read() const { return nlohmann::json::parse(std::ifstream(path)); }
    void write(const nlohmann::json& j) const { std::ofstream(path) << j.dump(); }
};

/// Every row, with its index, its name in failure messages.
template <class Body>
void forEachRow(Body body) {
    for (std::size_t i = 0; i < core::settingRows.size(); ++i) {
        SCOPED_TRACE(std::string(core::settingRows[i].name));
        body(core::SettingId(i), core::settingRows[i]);
    }
}

TEST(SettingTable, EveryRowRoundTripsThroughTheFileAsItsOwnJsonType) {
    forEachRow([](core::SettingId id, const SettingRow& row) {
        if (row.inAutostartEntry())
            return; // never in the file: the command line's walk below sees its entry
        const SettingsFile file;
        const Sample sample = sampleOf(row);
        {
            JsonFileUserDefaults defaults(file.path);
            AppState state(defaults);
            int announced = 0;
            QObject::connect(&state, &AppState::settingChanged,
                             [&](std::size_t i) { announced += i == id.index; });
            state.setValue(id, sample.value);
            EXPECT_EQ(announced, 1);
        }
        const auto stored = file.read().at(storedKey(id));
        const bool text = row.type == SettingType::ChannelText || row.type == SettingType::Consent;
        EXPECT_STREQ(stored.type_name(), text                               ? "string"
                                         : row.type == SettingType::Boolean ? "boolean"
                                                                            : "number");
        JsonFileUserDefaults defaults(file.path);
        EXPECT_EQ(AppState(defaults).value(id), sample.value);

        // A value of another kind reads as nothing stored; a number outside its range as its nearest end.
        file.write({{storedKey(id), text ? nlohmann::json(2) : nlohmann::json("x")}});
        JsonFileUserDefaults wrongKind(file.path);
        InMemoryUserDefaults nothing;
        EXPECT_EQ(AppState(wrongKind).value(id), AppState(nothing).value(id));
        if (row.type == SettingType::Number) {
            file.write({{storedKey(id), row.range.max + 1}});
            JsonFileUserDefaults outside(file.path);
            EXPECT_EQ(AppState(outside).value(id), SettingValue(row.range.max));
        }
    });
}

TEST(SettingTable, EveryRowIsSetAndReadOnTheCommandLine) {
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    forEachRow([](core::SettingId, const SettingRow& row) {
        const SettingsFile file;
        // The autostart entry goes beside this file, not into the user's real folder.
        qputenv("XDG_CONFIG_HOME", file.dir.path().toLocal8Bit());
        const QString entry = file.dir.filePath("autostart/org.tintwell.Tintwell.desktop");
        const Sample sample = sampleOf(row);
        const auto run =
            [&](int (*mode)(const app::CommandLine&, JsonFileUserDefaults&, std::ostream&, std::ostream&),
                QStringList app::CommandLine::*list, const std::string& arg) {
                app::CommandLine cl;
                cl.*list = QStringList{QString::fromStdString(arg)};
                JsonFileUserDefaults defaults(file.path);
                std::ostringstream out, err;
                const int status = mode(cl, defaults, out, err);
                return std::tuple(status, out.str(), err.str());
            };
        const std::string name(row.name);
        const auto [set, setOut, setErr] =
            run(app::runSet, &app::CommandLine::assignments, name + "=" + sample.text);
        if (!row.onCommandLine()) {
            EXPECT_EQ(set, 2);
            return;
        }
        ASSERT_EQ(set, 0) << setErr;
        EXPECT_EQ(std::get<1>(run(app::runGet, &app::CommandLine::keys, name)), sample.text + "\n");
        EXPECT_EQ(QFile::exists(entry), row.inAutostartEntry());

        const auto before = file.read();
        const auto [refused, out, err] =
            run(app::runSet, &app::CommandLine::assignments, name + "=" + sample.refused);
        EXPECT_EQ(refused, 2);
        EXPECT_NE(err.find(name), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(file.read(), before);
        if (row.inAutostartEntry()) {
            EXPECT_EQ(std::get<0>(run(app::runSet, &app::CommandLine::assignments, name + "=false")), 0);
            EXPECT_FALSE(QFile::exists(entry));
        }
    });
    qputenv("XDG_CONFIG_HOME", configHome);
}

/// The application on two virtual displays, at local noon in San Francisco (far from twilight, so
/// the tick timer stays at a minute), with short debounce intervals.
struct RunningApp {
    InMemoryUserDefaults defaults;
    platform::VirtualDisplayServices displays{2};
    app::AppDelegate delegate{app::AppServices{&defaults, &displays, nullptr, {}},
                              app::AppTiming{50ms, 50ms, 0ms}};
    AppState& state;

    RunningApp()
        : state((test::application(), knowPlace(), delegate.applicationDidFinishLaunching(),
                 *delegate.appState())) {
        delegate.setClock(std::make_shared<scheduling::FakeClock>(instantFromSecondsSinceEpoch(946756800)));
        EXPECT_TRUE(test::spinUntil([&] { return ticks() >= 3; })); // launch + wiring
        EXPECT_FALSE(test::spinUntil([&] { return ticks() > 3; }, 150ms));
    }
    int ticks() const { return delegate.tickLoop()->tickCount(); }
    /// The default place, stored as the user's own: without a place known nothing is tinted.
    void knowPlace() { AppState(defaults).setLatitude(AppState(defaults).latitude()); }
    /// Exactly one tick follows `change` once the debounce has passed.
    void expectOneTickAfter(const std::function<void()>& change) {
        const int before = ticks();
        change();
        ASSERT_TRUE(test::spinUntil([&] { return ticks() > before; }));
        EXPECT_FALSE(test::spinUntil([&] { return ticks() > before + 1; }, 120ms));
    }
    bool shows(core::DisplayId id, const core::TransferTables& tables) {
        return displays.readTransferTables(id) == tables && !delegate.gamma()->isRamping(id);
    }
};

TEST(SettingTable, AChangeToAReevaluatingRowCostsOneTickAndToAnyOtherNone) {
    RunningApp a;
    forEachRow([&](core::SettingId id, const SettingRow& row) {
        const int before = a.ticks();
        const bool changes = a.state.value(id) != sampleOf(row).value; // the place may be the default
        a.state.setValue(id, sampleOf(row).value);
        const int expected = row.reevaluates() && changes ? 1 : 0;
        EXPECT_TRUE(!expected || test::spinUntil([&] { return a.ticks() > before; }));
        EXPECT_FALSE(test::spinUntil([&] { return a.ticks() > before + expected; }, 150ms));
    });
}

TEST(AppDelegateTest, TheDisplayOverridesAndABurstOfSettingsCostOneTick) {
    RunningApp a;
    auto& s = a.state;
    a.expectOneTickAfter([&] { s.setDisplaySettings({}, "KEY"); });
    a.expectOneTickAfter([&] {
        for (int i = 0; i < 10; ++i)
            s.setDayKelvin(6000 + i);      // each within the debounce of the one before
        s.setNightKelvin(s.nightKelvin()); // unchanged: no tick of its own
    });

    const int restores = a.displays.restoreCount();
    a.delegate.applicationWillTerminate();
    EXPECT_EQ(a.displays.restoreCount(), restores + 1);
    EXPECT_FALSE(a.delegate.tickLoop()->timer() && a.delegate.tickLoop()->timer()->isActive());
}

TEST(AppDelegateTest, AfterAReconfigurationADisplayIdGivenToAnotherMonitorLosesTheOldOverride) {
    RunningApp a;
    const auto own = core::ColorTemperature::gammaRamp(2000, 1, 1);
    a.state.setDisplaySettings({2000, 2000, 12, 1, 1, 5000}, *a.displays.describe(1)->key);
    ASSERT_TRUE(test::spinUntil([&] { return a.shows(1, own); }));

    auto other = *a.displays.describe(1);
    other.key = "00000000-0000-5000-8000-000000000009";
    a.displays.setDisplays({other, *a.displays.describe(2)});
    const auto global = *a.displays.readTransferTables(2);
    EXPECT_TRUE(test::spinUntil([&] { return a.shows(1, global); }));
}

} // namespace
} // namespace tintwell::settings
