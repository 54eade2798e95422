// AppState over a real settings file that other processes and editors change underneath it.

#include "core/record_json.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"
#include "settings/settings_file_follower.h"
#include "support/event_loop.h"

#include <chrono>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace tintwell::settings;
using namespace std::chrono_literals;
using tintwell::core::Profile;

namespace {

std::string base64(const std::string& text) {
    return QByteArray::fromStdString(text).toBase64().toStdString();
}

class SettingsFileSharing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(dir.path() + "/tintwell")); }
    /// As an editor saves: a new file renamed over the old one.
    void editorSaves(const nlohmann::json& document) {
        const QString temp = QString::fromStdString(path + ".swp");
        QFile f(temp);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(document.dump(2)));
        f.close();
        ASSERT_EQ(::rename(temp.toUtf8().constData(), path.c_str()), 0);
    }
    nlohmann::json onDisk() const {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? nlohmann::json::parse(f.readAll().toStdString(), nullptr, false)
                                           : nlohmann::json();
    }

    QTemporaryDir dir;
    std::string path = (dir.path() + "/tintwell/defaults.json").toStdString();
};

} // namespace

TEST_F(SettingsFileSharing, ARunningStoreFollowsAnEditorsRenameThroughItsSignalsAndNeverRevertsIt) {
    tintwell::test::application();
    editorSaves({{"tintwell.nightKelvin", 3400.0}, {"tintwell.paused", false}});
    JsonFileUserDefaults defaults(path);
    AppState state(defaults);
    SettingsFileFollower follower(defaults, state, 20);
    std::vector<double> announced;
    QObject::connect(&state, &AppState::nightKelvinChanged, [&](double v) { announced.push_back(v); });

    editorSaves({{"tintwell.nightKelvin", 2000.0}, {"tintwell.paused", false}});
    ASSERT_TRUE(tintwell::test::spinUntil([&] { return state.nightKelvin() == 2000; }, 1s));
    EXPECT_EQ(announced.back(), 2000);
    state.setPaused(true);
    EXPECT_EQ(onDisk().at("tintwell.nightKelvin"), 2000.0);

    // A second change: the watch survived the first rename.
    editorSaves({{"tintwell.nightKelvin", 2200.0}, {"tintwell.paused", true}});
    EXPECT_TRUE(tintwell::test::spinUntil([&] { return state.nightKelvin() == 2200; }, 1s));
    // An edit in place, which the folder does not notice: the watch moved to the renamed-in file.
    QFile inPlace(QString::fromStdString(path));
    ASSERT_TRUE(inPlace.open(QIODevice::WriteOnly | QIODevice::Truncate));
    inPlace.write(R"({"tintwell.nightKelvin": 2400.0, "tintwell.paused": true})");
    inPlace.close();
    EXPECT_TRUE(tintwell::test::spinUntil([&] { return state.nightKelvin() == 2400; }, 1s));
}

TEST_F(SettingsFileSharing, UndecodableAndOutOfRangeValuesAreReplacedOnlyAfterACopyIsKept) {
    const Profile good{{6000, 2500, 10, 0.9, 1.1, 4000}, tintwell::core::Uuid::random(), "Good"};
    const nlohmann::json profiles = nlohmann::json::array({good, {{"name", "no id"}}, good});
    const nlohmann::json original = {{"tintwell.dayKelvin", "5000"},
                                     {"tintwell.brightness", 0.0},
                                     {"tintwell.nightKelvin", -5},
                                     {"tintwell.profiles", {{"data", base64(profiles.dump())}}}};
    editorSaves(original);
    JsonFileUserDefaults defaults(path);
    AppState state(defaults);
    // The undecodable element is skipped; the one repeating an identifier is kept under a new one.
    ASSERT_EQ(state.profiles().size(), 2u);
    EXPECT_EQ(state.profiles()[0], good);
    Profile twin = state.profiles()[1];
    EXPECT_NE(twin.id, good.id);
    twin.id = good.id;
    EXPECT_EQ(twin, good);
    EXPECT_EQ(state.nightKelvin(), tintwell::core::setting("nightKelvin").range.min);
    EXPECT_FALSE(defaults.preservedCopyPath());

    // Values in force but not as stored are not written until they are changed.
    state.setPaused(true);
    EXPECT_EQ(onDisk().at("tintwell.dayKelvin"), "5000");
    EXPECT_FALSE(defaults.preservedCopyPath());

    state.setDayKelvin(6000);
    ASSERT_TRUE(defaults.preservedCopyPath());
    QFile copy(QString::fromStdString(*defaults.preservedCopyPath()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    nlohmann::json kept = nlohmann::json::parse(copy.readAll().toStdString());
    EXPECT_EQ(kept.at("tintwell.dayKelvin"), "5000");
    EXPECT_EQ(kept.at("tintwell.profiles"), original.at("tintwell.profiles"));
    EXPECT_EQ(onDisk().at("tintwell.dayKelvin"), 6000.0);
}

TEST(SettingsFileFollower, FollowsAFileWhoseFolderAppearsLater) {
    tintwell::test::application();
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/config/tintwell/defaults.json").toStdString();
    JsonFileUserDefaults defaults(path);
    AppState state(defaults);
    SettingsFileFollower follower(defaults, state, 20);
    {
        JsonFileUserDefaults commandLine(path);
        AppState(commandLine).setGamma(1.5);
    }
    EXPECT_TRUE(tintwell::test::spinUntil([&] { return state.gamma() == 1.5; }, 1s));
}
