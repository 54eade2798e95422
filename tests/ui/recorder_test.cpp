#include "support/screen_capture.h"
#include "ui/model/recorder_texts.h"
#include "ui/screens/hotkeys_screen.h"
#include "ui/widgets/recorder_field.h"

#include <map>
#include <set>

#include <QAction>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tintwell::ui {
namespace {

/// Stores combinations as key-sequence text; a chosen set counts as held by another client.
class FakeBackend : public RecorderBackend {
public:
    QString shortcutText(const std::string& name) const override {
        const auto it = slots.find(name);
        return it == slots.end() ? QString() : it->second;
    }
    bool hasShortcut(const QKeyEvent& e) const override { return e.key() != Qt::Key_unknown; }
    bool reservedBySystem(const QKeyEvent& e) const override {
        return reserved.contains(QKeySequence(e.keyCombination()).toString());
    }
    void assign(const std::string& name, const QKeyEvent& e) override {
        slots[name] = QKeySequence(e.keyCombination()).toString();
    }
    void clear(const std::string& name) override { slots.erase(name); }
    void setPaused(bool p) override { paused = p; }
    QString unavailableReason() const override { return unavailable; }

    std::map<std::string, QString> slots;
    QString unavailable;
    std::set<QString> reserved;
    bool paused = false;
};

class RecorderTest : public ::testing::Test {
protected:
    RecorderTest() {
        backend.slots["tintwell.cooler"] = "Ctrl+Alt+K";
        field->refresh();
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(next);
        field->setBeep([this] { ++beeps; });
        field->setAlert([this](const QString& message, const QString&, const QStringList& buttons) {
            alerts.push_back(message);
            alertButtons = buttons.size();
            return answer;
        });
        window.resize(300, 120);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void startRecording() {
        QTest::mouseClick(field, Qt::LeftButton);
        ASSERT_TRUE(field->isRecording());
    }

    // The application comes before any widget member.
    QApplication& app = test::widgetApplication();
    FakeBackend backend;
    QWidget window;
    RecorderField* field = new RecorderField(backend, "tintwell.cooler", &window);
    QPushButton* next = new QPushButton("next", &window);
    int beeps = 0;
    std::vector<QString> alerts;
    qsizetype alertButtons = 0;
    int answer = 0;
};

TEST_F(RecorderTest, PromptsWhileRecordingShowsNoCaretAndClearsWithItsButton) {
    EXPECT_TRUE(field->isReadOnly()) << "no caret, no typing";
    EXPECT_TRUE(field->clearAction()->isVisible());
    startRecording();
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(field->placeholderText(), recorderText("press_shortcut"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), "Ctrl+Alt+K");
    field->clearAction()->trigger();
    EXPECT_FALSE(backend.slots.contains("tintwell.cooler"));
    EXPECT_FALSE(field->clearAction()->isVisible());
    EXPECT_EQ(field->placeholderText(), recorderText("record_shortcut"));
}

TEST_F(RecorderTest, EachKeyWhileRecordingBeepsOrEndsItAsItsRoleSays) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* slot; // nullptr: cleared
        bool recording, nextFocused;
    } cases[] = {
        {Qt::Key_A, {}, "Ctrl+Alt+K", true, false}, // a plain key beeps
        {Qt::Key_A, Qt::ShiftModifier, "Ctrl+Alt+K", true, false},
        {Qt::Key_Escape, {}, "Ctrl+Alt+K", false, false},
        {Qt::Key_Tab, {}, "Ctrl+Alt+K", false, true},
        {Qt::Key_Backspace, {}, nullptr, false, false},
        {Qt::Key_F5, {}, "F5", false, false}, // a function key may stand alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.mods).toString().toStdString());
        if (!field->isRecording())
            startRecording();
        EXPECT_TRUE(backend.paused) << "global shortcuts do not fire while recording";
        QTest::keyClick(field, c.key, c.mods);
        EXPECT_EQ(field->isRecording(), c.recording);
        EXPECT_EQ(backend.paused, c.recording);
        EXPECT_EQ(next->hasFocus(), c.nextFocused);
        const std::string slot = c.slot ? c.slot : "";
        EXPECT_EQ(backend.shortcutText("tintwell.cooler").toStdString(), slot);
        EXPECT_EQ(field->text().toStdString(), c.recording ? "" : slot);
    }
    EXPECT_EQ(beeps, 2);
}

// A menu item's combination (Ctrl+Q, "Quit Tintwell") is refused, and recording goes on, in the
// full-path session; here, the answer that takes it all the same.
TEST_F(RecorderTest, ASystemCollisionIsTakenWhenForced) {
    startRecording();
    backend.reserved = {"Ctrl+Alt+T"};
    answer = 1; // "Use Anyway"
    QTest::keyClick(field, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alertButtons, 2);
    EXPECT_EQ(backend.slots["tintwell.cooler"], "Ctrl+Alt+T");
    EXPECT_FALSE(field->isRecording());
}

TEST(RecorderKeyRole, ModifiersDecideWhatAKeyMeans) {
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        RecorderKeyRole role;
    } cases[] = {
        {Qt::Key_Tab, {}, RecorderKeyRole::EndAndPassOn},
        {Qt::Key_Control, Qt::ControlModifier, RecorderKeyRole::Wait},
        {Qt::Key_Escape, Qt::KeypadModifier, RecorderKeyRole::Cancel},
        {Qt::Key_Delete, {}, RecorderKeyRole::Clear},
        {Qt::Key_Delete, Qt::ControlModifier, RecorderKeyRole::Candidate},
        {Qt::Key_Escape, Qt::ShiftModifier, RecorderKeyRole::Refuse},
        {Qt::Key_5, Qt::KeypadModifier, RecorderKeyRole::Refuse},
        {Qt::Key_K, Qt::MetaModifier, RecorderKeyRole::Candidate},
    };
    for (const Case& c : cases)
        EXPECT_EQ(recorderKeyRole(c.key, c.mods), c.role) << c.key;
}

TEST(HotkeysScreen, ResetAllShowsTheDefaultsAgain) {
    test::widgetApplication();
    FakeBackend backend;
    HotkeysScreen screen(backend, [&] { backend.slots = {{"tintwell.togglePause", "Ctrl+Alt+P"}}; });
    ASSERT_EQ(screen.fields().size(), 6u);
    EXPECT_EQ(screen.fields()[0]->text(), "");
    screen.resetButton()->click();
    EXPECT_EQ(screen.fields()[0]->text(), "Ctrl+Alt+P");
    EXPECT_TRUE(test::saveScreenshots(screen, "hotkeys", 360));
}

TEST_F(RecorderTest, WhereNoGlobalKeysCanBeHadTheFieldSaysSoInsteadOfRecording) {
    backend.unavailable = "no global keys here";
    QTest::mouseClick(field, Qt::LeftButton);
    EXPECT_FALSE(field->isRecording() || backend.paused);
    EXPECT_EQ(alerts, std::vector<QString>{"no global keys here"});
}

} // namespace
} // namespace tintwell::ui
