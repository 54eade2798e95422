// The popup's main screen, driven like a user: keys on sliders and steppers, menu entries, the
// scope picker; and the status icon's follow-up of the store.
#include "settings/autostart_entry.h"
#include "settings/profile_manager.h"
#include "support/event_loop.h"
#include "ui/model/sun_events.h"
#include "ui/model/text_formats.h"
#include "ui/screens/app_exceptions_screen.h"
#include "ui/screens/hotkeys_screen.h"
#include "ui/screens/save_profile_panel.h"
#include "ui/tray/popup_window.h"
#include "ui/widgets/slider_row.h"
#include "ui_test_support.h"

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::ui;
using settings::ProfileField;
using test::PopupHarness;

namespace {

QAction* entry(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

QStringList entries(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() || !a->text().isEmpty()) // sections are separators with a title
            out << a->text();
    return out;
}

} // namespace

TEST(MainScreen, SlidersWriteTheGlobalValuesByTheirStep) {
    PopupHarness h;
    struct Case {
        ProfileField field;
        double before, after;
        double (settings::AppState::*read)() const;
    };
    for (const Case& c :
         {Case{ProfileField::DayKelvin, 6500, 6550, &settings::AppState::dayKelvin},
          Case{ProfileField::NightKelvin, 3400, 3350, &settings::AppState::nightKelvin},
          Case{ProfileField::TransitionWidthDeg, 12, 12.5, &settings::AppState::transitionWidthDeg},
          Case{ProfileField::Brightness, 1.0, 0.99, &settings::AppState::brightness},
          Case{ProfileField::Gamma, 1.0, 1.05, &settings::AppState::gamma}}) {
        SliderRow* row = h.main().row(c.field);
        QTest::keyClick(row->slider(), c.after > c.before ? Qt::Key_Right : Qt::Key_Left);
        EXPECT_DOUBLE_EQ((h.state.*c.read)(), c.after) << row->definition().title.toStdString();
        EXPECT_EQ(row->valueLabel()->text(), row->definition().formatValue(c.after));
    }
    // The stepper moves by the same step (written once the slider's held-back interval is over).
    QTest::keyClick(h.main().row(ProfileField::NightKelvin)->stepper(), Qt::Key_Down);
    EXPECT_TRUE(test::spinUntil([&] { return h.state.nightKelvin() == 3300; }));
}

TEST(MainScreen, DisplayScopeCreatesAndDropsAnOverride) {
    PopupHarness h(2);
    QComboBox* picker = h.main().scopePicker();
    EXPECT_FALSE(picker->parentWidget()->isHidden());
    ASSERT_EQ(picker->count(), 3);
    EXPECT_EQ(picker->itemText(2), QStringLiteral("Virtual 2"));

    picker->setCurrentIndex(2);
    Q_EMIT picker->activated(2);
    QCoreApplication::processEvents();
    auto* status = h.main().findChild<QLabel*>(QStringLiteral("scopeStatus"));
    EXPECT_EQ(status->text(), QStringLiteral("Inherits global settings."));
    QTest::keyClick(h.main().row(ProfileField::DayKelvin)->slider(), Qt::Key_Left);

    const std::string key2 = "00000000-0000-5000-8000-000000000002";
    ASSERT_EQ(h.state.displayOverrides().count(key2), 1u); // seeded as the editor's own test shows
    EXPECT_EQ(h.state.displayOverrides().at(key2).dayKelvin, 6450);
    QCoreApplication::processEvents();
    EXPECT_EQ(status->text(), QStringLiteral("Customized for this display."));

    auto* useGlobal = h.main().findChild<QPushButton*>(QStringLiteral("useGlobal"));
    ASSERT_TRUE(useGlobal->isVisibleTo(&h.main()));
    useGlobal->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(h.state.displayOverrides().empty());
    EXPECT_EQ(h.main().row(ProfileField::DayKelvin)->value(), 6500);
    EXPECT_EQ(status->text(), QStringLiteral("Inherits global settings."));

    // A display that goes away takes the scope back to all displays; one display has no scope.
    picker->setCurrentIndex(2);
    Q_EMIT picker->activated(2);
    h.displays.setDisplays({*h.displays.describe(1)});
    QCoreApplication::processEvents();
    EXPECT_FALSE(h.controller.displayEditor().editTargetId());
    EXPECT_TRUE(picker->parentWidget()->isHidden());
    QTest::keyClick(h.main().row(ProfileField::DayKelvin)->slider(), Qt::Key_Right);
    ASSERT_TRUE(test::spinUntil([&] { return h.state.dayKelvin() == 6550; })); // after the held-back write
    EXPECT_TRUE(h.state.displayOverrides().empty());
}

TEST(MainScreen, UntilMenuSetsTheEnd) {
    const Instant now = instantFromSecondsSinceEpoch(1772323200); // 2026-03-01 00:00 UTC
    PopupHarness h;
    h.state.setLatitude(51.5);
    h.state.setLongitude(0);
    h.state.setManualOverride(true);
    settings::ProfileManager profiles(h.state);
    ViewContext c; // a main screen of its own, for a chosen clock
    c.state = &h.state;
    c.editor = &h.controller.displayEditor();
    c.profiles = &profiles;
    c.location = &h.location;
    c.now = [now] { return now; };
    MainScreen screen(c);
    screen.rebuildUntilMenu();
    QMenu* menu = screen.untilMenu();
    const auto events = nextSunEvents(51.5, 0, now);
    ASSERT_TRUE(events.sunrise && events.sunset);
    EXPECT_EQ(entries(menu).mid(5), (QStringList{"Next sunrise (" + shortTime(*events.sunrise) + ")",
                                                 "Next sunset (" + shortTime(*events.sunset) + ")"}));
    struct Case {
        int index;
        std::optional<Instant> until;
    };
    for (const Case& c : {Case{1, now + Seconds(900)}, Case{4, now + Seconds(7200)}, Case{5, events.sunrise},
                          Case{6, events.sunset}, Case{0, std::nullopt}}) {
        menu->actions().at(c.index)->trigger();
        EXPECT_EQ(h.state.manualOverrideUntil(), c.until) << c.index;
    }
}

TEST(MainScreen, ProfileMenuMarksTheActiveProfileAndOffersItsChanges) {
    PopupHarness h;
    QMenu* menu = h.main().profileMenu();
    h.main().rebuildProfileMenu();
    EXPECT_EQ(h.main().profileButton()->fullText(), QStringLiteral("Custom •"));
    EXPECT_FALSE(entries(menu).contains("Reset to Default"));

    entry(menu, QStringLiteral("Movie / TV"))->trigger();
    EXPECT_EQ(h.state.brightness(), 0.7);
    QCoreApplication::processEvents();
    EXPECT_EQ(h.main().profileButton()->fullText(), QStringLiteral("Movie / TV"));
    h.main().rebuildProfileMenu();
    EXPECT_FALSE(entry(menu, QStringLiteral("Movie / TV"))->icon().isNull());
    EXPECT_TRUE(entry(menu, QStringLiteral("Default"))->icon().isNull());

    // A dirty preset can be reset but not saved over.
    h.state.setBrightness(0.8);
    QCoreApplication::processEvents();
    EXPECT_EQ(h.main().profileButton()->fullText(), QStringLiteral("Movie / TV •"));
    h.main().rebuildProfileMenu();
    EXPECT_FALSE(entry(menu, QStringLiteral("Save changes to “Movie / TV”")));
    entry(menu, QStringLiteral("Reset to Movie / TV"))->trigger();
    EXPECT_EQ(h.state.brightness(), 0.7);

    // A dirty user profile offers both.
    h.state.saveCurrentAsProfile("Evening");
    h.state.setGamma(1.2);
    h.main().rebuildProfileMenu();
    entry(menu, QStringLiteral("Save changes to “Evening”"))->trigger();
    EXPECT_EQ(h.state.profiles().at(0).gamma, 1.2);
    EXPECT_FALSE(h.state.isActiveProfileDirty());
}

TEST(MainScreen, GearStartsAtLoginThroughTheEntryAndOffersUpdatesOnlyWithAFeed) {
    PopupHarness h;
    QTemporaryDir dir;
    const QString path = dir.filePath("autostart/org.tintwell.Tintwell.desktop");
    h.state.useAutostartEntry(std::make_unique<settings::AutostartEntry>(path, "tintwell"));
    QMenu* gear = h.main().gearMenu();
    EXPECT_FALSE(entry(gear, QStringLiteral("Check for updates now…"))) << "this build has no feed";
    QAction* login = entry(gear, QStringLiteral("Start at login"));
    ASSERT_TRUE(login);
    login->trigger();
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_TRUE(QFile::remove(path)); // by hand, or by --set startAtLogin=false
    Q_EMIT gear->aboutToShow();
    EXPECT_FALSE(login->isChecked());

    // No place known yet: the first-run flow asks for one even with the service answering, and
    // nothing about updates.
    h.location.setAuthorizationStatus(LocationStatus::Authorization::Authorized);
    EXPECT_TRUE(h.view().onboardingNeeds().locationStep);
    EXPECT_FALSE(h.view().onboardingNeeds().updatesStep);
    h.state.setLatitude(h.state.latitude());
    EXPECT_FALSE(h.view().onboardingNeeded());
}

TEST(MainScreen, SaveProfilePanelSavesATrimmedName) {
    PopupHarness h;
    h.main().findChild<QToolButton*>(QStringLiteral("addProfileButton"))->click();
    EXPECT_EQ(h.view().currentScreen(), Screen::SaveProfile);
    SaveProfilePanel* panel = h.view().saveProfilePanel();
    EXPECT_FALSE(panel->saveButton()->isEnabled());
    panel->nameField()->setText(QStringLiteral("   "));
    EXPECT_FALSE(panel->saveButton()->isEnabled()) << "a blank name";
    panel->nameField()->setText(QStringLiteral("  Night owl "));
    panel->saveButton()->click();
    ASSERT_EQ(h.state.profiles().size(), 1u);
    EXPECT_EQ(h.state.profiles()[0].name, "Night owl");
    EXPECT_EQ(h.view().currentScreen(), Screen::Main);
}

TEST(PopupKeyboard, EscapeEndsTheInnermostThingThenGoesBack) {
    PopupHarness h;
    PopupWindow* popup = h.controller.popup();
    const auto escape = [&] {
        QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_Escape);
    };
    h.controller.togglePopover();
    struct Case {
        Screen screen;
        std::function<void()> openInner; ///< starts the innermost thing on that screen
        std::function<bool()> innerOpen;
    } cases[] = {
        {Screen::Hotkeys,
         [&] { h.view().findChild<HotkeysScreen*>()->fields()[0]->setFocus(Qt::TabFocusReason); },
         [&] { return h.view().findChild<HotkeysScreen*>()->fields()[0]->isRecording(); }},
        {Screen::AppExceptions, [&] { h.view().findChild<AppExceptionsScreen*>()->showPicker(); },
         [&] { return h.view().findChild<AppExceptionsScreen*>()->pickerShown(); }},
        {Screen::ProfileManager, [&] { h.view().showScreen(Screen::SaveProfile); },
         [&] { return h.view().currentScreen() == Screen::SaveProfile; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.screen));
        h.view().showScreen(c.screen);
        c.openInner();
        ASSERT_TRUE(c.innerOpen());
        escape();
        EXPECT_FALSE(c.innerOpen());
        EXPECT_EQ(h.view().currentScreen(), c.screen);
        escape();
        EXPECT_EQ(h.view().currentScreen(), Screen::Main);
    }
    // Return presses the focused button.
    auto* add = h.main().findChild<QToolButton*>(QStringLiteral("addProfileButton"));
    add->setFocus(Qt::TabFocusReason);
    QTest::keyClick(add, Qt::Key_Return);
    EXPECT_EQ(h.view().currentScreen(), Screen::SaveProfile);
    h.view().saveProfilePanel()->findChild<QPushButton*>(QStringLiteral("cancelSaveProfile"))->click();
    EXPECT_EQ(h.view().currentScreen(), Screen::Main) << "back where it was opened";
}

TEST(MenuBarController, ClickTogglesThePopupAndEscapeClosesIt) {
    std::vector<bool> tracking;
    ui::UiCallbacks callbacks;
    callbacks.onMenuTrackingChanged = [&](bool open) { tracking.push_back(open); };
    PopupHarness h(1, callbacks);
    PopupWindow* popup = h.controller.popup();
    h.controller.togglePopover();
    ASSERT_TRUE(popup->isVisible());
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_TRUE(popup->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(tracking, (std::vector<bool>{true, false}));

    // The click on the icon that closed the popup from outside does not reopen it...
    h.controller.togglePopover();
    EXPECT_FALSE(popup->isVisible());
    // ...a later one does.
    EXPECT_TRUE(test::spinUntil([&] {
        h.controller.togglePopover();
        return popup->isVisible();
    }));
    h.controller.togglePopover();
    EXPECT_FALSE(popup->isVisible());
}
