// Storage, registration and dispatch of the global shortcuts, on the in-memory hot-key service.

#include "platform/virtual/virtual_hot_key_service.h"
#include "shortcuts/global_shortcuts.h"
#include "support/event_loop.h"
#include "support/shortcut_slots.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tintwell::shortcuts {
namespace {

namespace vk = platform::vk;
namespace mod = platform::modifier;
using settings::Value;
using test::ctrlAltK, test::ctrlAltP, test::cooler, test::pause;

const Name withDefault{"test.withDefault", ctrlAltK};

class GlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        shortcuts.setMessageSink([this](const std::string& line) { messages.push_back(line); });
    }
    int& counter(const Name& name) { return counts[name.rawValue]; }
    void count(const Name& name) {
        shortcuts.onKeyDown(name, [this, name] { ++counter(name); });
    }

    settings::InMemoryUserDefaults defaults;
    platform::VirtualHotKeyService service;
    GlobalShortcuts shortcuts{defaults, &service};
    std::map<std::string, int> counts;
    std::vector<std::string> messages;
};

TEST_F(GlobalShortcutsTest, AssigningStoresTheJsonTextRegistersOnceAndAnnouncesOnce) {
    QSignalSpy changed(&shortcuts, &GlobalShortcuts::shortcutByNameDidChange);
    const Shortcut commandOptionK{int(vk::k), int(mod::command | mod::option)};
    shortcuts.setShortcut(commandOptionK, cooler);
    EXPECT_EQ(defaults.object("GlobalShortcuts_tintwell.cooler"),
              Value(std::string(R"({"carbonKeyCode":40,"carbonModifiers":2304})")));
    EXPECT_EQ(service.registrations().size(), 1u);
    EXPECT_TRUE(service.isActive(commandOptionK.combination()));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(GlobalShortcutsTest, ASharedCombinationRegistersOnceRunsBothSlotsAndIsHeldWhileOneHoldsIt) {
    count(pause);
    count(cooler);
    shortcuts.setShortcut(ctrlAltP, pause);
    shortcuts.setShortcut(ctrlAltP, cooler);
    EXPECT_EQ(service.registrations().size(), 1u);
    ASSERT_TRUE(service.press(ctrlAltP.combination()));
    EXPECT_EQ(counter(pause), 1);
    EXPECT_EQ(counter(cooler), 1);
    shortcuts.setShortcut(std::nullopt, pause);
    ASSERT_TRUE(service.press(ctrlAltP.combination()));
    EXPECT_EQ(counter(pause), 1);
    EXPECT_EQ(counter(cooler), 2);
    shortcuts.setShortcut(ctrlAltK, cooler); // reassigned: now nobody holds Ctrl+Alt+P
    EXPECT_FALSE(service.isRegistered(ctrlAltP.combination()));
    EXPECT_TRUE(service.press(ctrlAltK.combination()));
    EXPECT_EQ(counter(cooler), 3);
}

TEST_F(GlobalShortcutsTest, ClearingWithAndWithoutDefault) {
    QSignalSpy changed(&shortcuts, &GlobalShortcuts::shortcutByNameDidChange);
    shortcuts.setShortcut(std::nullopt, cooler); // holds nothing: nothing written, nothing said
    EXPECT_TRUE(defaults.writtenKeys().empty());
    EXPECT_EQ(changed.count(), 0);

    shortcuts.setShortcut(ctrlAltP, cooler);
    shortcuts.setShortcut(std::nullopt, cooler);
    EXPECT_FALSE(defaults.object("GlobalShortcuts_tintwell.cooler"));
    EXPECT_FALSE(service.isRegistered(ctrlAltP.combination()));

    shortcuts.declare(withDefault);
    EXPECT_EQ(shortcuts.getShortcut(withDefault), ctrlAltK);
    shortcuts.setShortcut(std::nullopt, withDefault);
    EXPECT_EQ(defaults.object("GlobalShortcuts_test.withDefault"), Value(false));
    shortcuts.declare(withDefault); // false is a stored value: the default does not come back
    EXPECT_EQ(shortcuts.getShortcut(withDefault), std::nullopt);
    shortcuts.reset({withDefault, cooler});
    EXPECT_EQ(shortcuts.getShortcut(withDefault), ctrlAltK);
    EXPECT_EQ(changed.count(), 5); // set, clear, default stored, cleared to false, reset
}

TEST_F(GlobalShortcutsTest, PressesFollowTheStoreAndPausedOrDisabledRunsNothing) {
    count(pause);
    shortcuts.setShortcut(ctrlAltP, pause);
    shortcuts.setEnabled(false);
    EXPECT_FALSE(service.press(ctrlAltP.combination())) << "disabled grabs nothing";
    shortcuts.setEnabled(true);
    shortcuts.setPaused(true);
    EXPECT_TRUE(service.press(ctrlAltP.combination())) << "grabbed again once enabled";
    EXPECT_EQ(counter(pause), 0);
    shortcuts.setPaused(false);
    // Another process moved the slot: the press reads the store afresh and runs nothing.
    defaults.setString("GlobalShortcuts_tintwell.togglePause", ctrlAltK.toJson());
    service.press(ctrlAltP.combination());
    EXPECT_EQ(counter(pause), 0);
    shortcuts.reloadFromStore();
    EXPECT_FALSE(service.isRegistered(ctrlAltP.combination()));
    EXPECT_TRUE(service.press(ctrlAltK.combination()));
    EXPECT_EQ(counter(pause), 1);
}

TEST_F(GlobalShortcutsTest, HandlersAttachedBeforeAssignmentRegisterTheStoredCombination) {
    defaults.setString("GlobalShortcuts_tintwell.togglePause", ctrlAltP.toJson());
    count(pause);
    count(pause);
    EXPECT_TRUE(service.press(ctrlAltP.combination()));
    EXPECT_EQ(counter(pause), 2); // attached twice, runs twice
}

TEST_F(GlobalShortcutsTest, ARefusedGrabIsReportedAndTriedAgainOnlyWhenAssignedAnew) {
    service.reserve(ctrlAltP.combination());
    shortcuts.setShortcut(ctrlAltP, pause);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error registering hotkey Ctrl+Alt+P: 10 (already grabbed by another client)");
    EXPECT_EQ(shortcuts.getShortcut(pause), ctrlAltP); // the slot keeps its value
    count(pause);                                      // no new attempt
    EXPECT_EQ(service.registerCalls(), 1);
    service.unreserve(ctrlAltP.combination());
    shortcuts.setShortcut(ctrlAltP, pause);
    EXPECT_TRUE(service.press(ctrlAltP.combination()));
    EXPECT_EQ(counter(pause), 1);
}

QStringList settingsLog;
void captureSettingsLog(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (context.category && QByteArray(context.category) == "tintwell.settings")
        settingsLog << message;
}

TEST_F(GlobalShortcutsTest, AHandEditedEntryPassesTheRulesOfAnAssignmentOrIsLoggedOnceWithItsSlot) {
    const auto text = [](const char* s) { return Value(std::string(s)); };
    const struct {
        Value stored;
        const char* reason;
    } cases[] = {
        {text(R"({"carbonKeyCode":0,"carbonModifiers":0})"), "A is refused: it needs Ctrl, Alt or Super"},
        {text(R"({"carbonKeyCode":0,"carbonModifiers":1536})"), "Shift+A is refused"}, // and caps lock
        {text("not json"), "not JSON"},
        {text("[4096]"), "not a JSON object"},
        {text("{}"), "carbonKeyCode is missing"},
        {text(R"({"carbonKeyCode":0})"), "carbonModifiers is missing"},
        {text(R"({"carbonKeyCode":0,"carbonModifiers":4096.5})"), "carbonModifiers is not an integer"},
        {text(R"({"carbonKeyCode":4294967296,"carbonModifiers":4096})"), "carbonKeyCode is out of range"},
        {text(R"({"carbonKeyCode":0,"carbonModifiers":-4294967296})"), "carbonModifiers is out of range"},
        {Value(true), "not the text of a combination"}, // only false clears a slot
    };
    const QtMessageHandler previous = qInstallMessageHandler(captureSettingsLog);
    for (const auto& c : cases) {
        settingsLog.clear();
        defaults.set("GlobalShortcuts_tintwell.togglePause", c.stored);
        shortcuts.reloadFromStore();
        count(pause);
        EXPECT_EQ(shortcuts.getShortcut(pause), std::nullopt) << c.reason;
        EXPECT_TRUE(service.registrations().empty()) << c.reason;
        ASSERT_EQ(settingsLog.size(), 1) << c.reason; // once, however often it is read
        EXPECT_TRUE(settingsLog[0].startsWith(QString("Hotkey tintwell.togglePause ignored: ") + c.reason))
            << settingsLog[0].toStdString();
    }
    qInstallMessageHandler(previous);
}

} // namespace
} // namespace tintwell::shortcuts
