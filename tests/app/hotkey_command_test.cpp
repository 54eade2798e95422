// --hotkey and --hotkeys as a user meets them: the real program on a private settings folder.

#include "support/tintwell_process.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

class HotkeyCommandTest : public ::testing::Test {
protected:
    QTemporaryDir config;

    tintwell::test::Outcome run(const QStringList& args) const {
        return tintwell::test::runTintwell(args, {{"XDG_CONFIG_HOME", config.path()}});
    }
    nlohmann::json file() const {
        QFile f(config.path() + "/tintwell/defaults.json");
        return f.open(QIODevice::ReadOnly) ? nlohmann::json::parse(f.readAll().toStdString())
                                           : nlohmann::json::object();
    }
};

TEST_F(HotkeyCommandTest, AssignsByRawOrShortNameListsAndClears) {
    auto r = run({"--hotkey", "togglePause=Ctrl+Alt+P", "--hotkey", "tintwell.warmer=ctrl+alt+down"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(file()["GlobalShortcuts_tintwell.togglePause"],
              R"({"carbonKeyCode":35,"carbonModifiers":6144})");

    r = run({"--hotkeys"});
    EXPECT_EQ(r.out, "togglePause=Ctrl+Alt+P\ntoggleManualOverride=\nnextProfile=\npreviousProfile=\n"
                     "warmer=Ctrl+Alt+Down\ncooler=\n");

    ASSERT_EQ(run({"--hotkey", "warmer="}).status, 0);
    EXPECT_FALSE(file().contains("GlobalShortcuts_tintwell.warmer"));

    r = run({"--hotkeys", "--json"});
    const auto list = nlohmann::json::parse(r.out);
    EXPECT_EQ(list[0]["name"], "tintwell.togglePause");
    EXPECT_EQ(list[0]["shortcut"]["description"], "Ctrl+Alt+P");
    EXPECT_TRUE(list[4]["shortcut"].is_null());
}

TEST_F(HotkeyCommandTest, BadNamesAndCombinationsAreOneLineStatusTwoAndWriteNothing) {
    ASSERT_EQ(run({"--hotkey", "cooler=Ctrl+F1"}).status, 0);
    const auto before = file();
    for (const QStringList& args : {QStringList{"--hotkey", "dimmer=Ctrl+Alt+P"},
                                    QStringList{"--hotkey", "cooler"}, QStringList{"--hotkey", "cooler=P"},
                                    QStringList{"--hotkey", "warmer=Ctrl+Up", "--hotkey", "cooler=Ctrl+Alt+"},
                                    QStringList{"--hotkey", "cooler=Ctrl+P", "--hotkeys"}}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_EQ(file(), before);
    EXPECT_EQ(run({"--hotkey", "cooler=F5"}).status, 0) << "function keys may stand alone";
}

} // namespace
