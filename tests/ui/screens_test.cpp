#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "settings/app_state.h"
#include "settings/builtin_presets.h"
#include "settings/profile_manager.h"
#include "settings/user_defaults.h"
#include "support/screen_capture.h"
#include "ui/screens/app_exceptions_screen.h"
#include "ui/screens/help_screen.h"
#include "ui/screens/location_screen.h"
#include "ui/screens/onboarding_screen.h"
#include "ui/screens/profile_manager_screen.h"
#include "ui/widgets/display_arrangement_canvas.h"
#include "ui/widgets/location_banner.h"
#include "ui/widgets/location_map.h"
#include "watchers/app_exceptions_manager.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace tintwell::ui {
namespace {

using namespace std::chrono_literals;

using platform::ActivationPolicy;

class ScreensTest : public ::testing::Test {
protected:
    ScreensTest() { test::widgetApplication(); }
    settings::InMemoryUserDefaults defaults;
    settings::AppState state{defaults};
    settings::ProfileManager profiles{state};
};

TEST_F(ScreensTest, TargetSummaryTakesPauseThenManualThenARuleOnADisplayThenTheCurve) {
    const watchers::ResolvedAppOverride force{{"editor", "Editor", core::ForceKelvin{4499.5}, true}};
    const watchers::ResolvedAppOverride native{{"player", "Player", core::Disable{}, true}};
    const RuleScope onDisplay = rule_scope::Displays{7};
    state.setCurrentKelvin(5123.4);
    state.setManualKelvin(2750.5);
    struct Case {
        bool paused, manual;
        RuleScope scope;
        std::optional<watchers::ResolvedAppOverride> override;
        std::string expected;
    } cases[] = {
        {true, true, onDisplay, force, "identity (paused)"},
        {false, true, onDisplay, force, "2751 K (manual)"},
        {false, false, onDisplay, force, "4500 K (rule)"},
        {false, false, onDisplay, native, "identity (rule → native color)"},
        {false, false, rule_scope::NoWindows{}, force, "5123 K (curve)"},
        {false, false, rule_scope::None{}, std::nullopt, "5123 K (curve)"},
    };
    for (const Case& c : cases) {
        state.setPaused(c.paused);
        state.setManualOverride(c.manual);
        EXPECT_EQ(targetSummary(state, c.scope, c.override), c.expected);
    }
    EXPECT_EQ(affectsText(rule_scope::Displays{1, 2}, {"Zeta", "Alpha"}), "Alpha, Zeta");
}

TEST(OnboardingPlan, EachCombinationOfLocationAndConsent) {
    using S = OnboardingStep;
    struct Case {
        bool location, updates;
        std::vector<S> plan;
        S shown;
    } cases[] = {
        {true, false, {S::Location}, S::Location},
        {false, false, {}, S::Updates},
    };
    for (const Case& c : cases) {
        const OnboardingNeeds needs{c.location, c.updates};
        EXPECT_EQ(needs.any(), c.location || c.updates);
        EXPECT_EQ(onboardingPlan(needs), c.plan);
        EXPECT_EQ(currentOnboardingStep(needs), c.shown);
    }
    EXPECT_EQ(litProgressDot({S::Location}, S::Updates), 0u); // the walk-through lights the others
}

TEST_F(ScreensTest, OnboardingWalksThroughBothStepsWithItsDotsAndFinishes) {
    bool locationOpen = true;
    OnboardingScreen screen(state, [&] {
        return OnboardingNeeds{locationOpen, state.updateConsent() == settings::UpdateConsent::Undecided};
    });
    bool finished = false;
    QObject::connect(&screen, &OnboardingScreen::finished, [&] { finished = true; });
    int asked = 0;
    QObject::connect(&screen, &OnboardingScreen::useCurrentLocationRequested, [&] { ++asked; });
    screen.show();
    EXPECT_EQ(screen.shownStep(), OnboardingStep::Location);
    EXPECT_EQ(screen.dotCount(), 2u);
    EXPECT_TRUE(screen.dotLit(0));
    QTest::mouseClick(screen.findChild<QPushButton*>("useMyLocation"), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    locationOpen = false; // the permission question was answered
    screen.refresh();
    EXPECT_EQ(screen.shownStep(), OnboardingStep::Updates);
    EXPECT_TRUE(screen.dotLit(1));
    EXPECT_TRUE(test::saveScreenshots(screen, "onboarding-updates", 520));
    QTest::mouseClick(screen.findChild<QPushButton*>("checkManually"), Qt::LeftButton);
    EXPECT_EQ(state.updateConsent(), settings::UpdateConsent::Declined);
    EXPECT_TRUE(finished);
}

TEST_F(ScreensTest, ProfileRowsEnableMovesOnlyWithinTheListAndFollowTheStore) {
    ProfileManagerScreen screen(state, profiles);
    EXPECT_TRUE(test::saveScreenshots(screen, "profiles-empty", 560));
    EXPECT_TRUE(screen.findChild<QWidget*>("noProfilesCard")->isVisibleTo(&screen));

    screen.hide();
    state.saveCurrentAsProfile("Only");
    state.saveCurrentAsProfile("Second");
    state.saveCurrentAsProfile("Third");
    EXPECT_TRUE(screen.userRows().empty()) << "rows are made once the screen is on view";
    screen.show();
    const auto& rows = screen.userRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0]->moveUpAction()->isEnabled());
    EXPECT_TRUE(rows[1]->moveUpAction()->isEnabled() && rows[1]->moveDownAction()->isEnabled());
    EXPECT_FALSE(rows[2]->moveDownAction()->isEnabled());
    EXPECT_FALSE(rows[2]->applyButton()->isVisibleTo(rows[2])) << "the active profile has no Apply";

    rows[2]->moveUpAction()->trigger();
    EXPECT_EQ(state.profiles()[1].name, "Third");
    QLineEdit* name = screen.userRows()[0]->nameField();
    EXPECT_EQ(name->cursorPosition(), 0) << "a long name shows its start";
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, " renamed");
    EXPECT_EQ(state.profiles()[0].name, "Only renamed");
    QFocusEvent tabbedAway(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(name, &tabbedAway);
    EXPECT_EQ(name->cursorPosition(), 0) << "leaving the field shows the name's start again";

    screen.presetRows()[1]->duplicateAction()->trigger();
    EXPECT_EQ(state.profiles().back().name, settings::BuiltinPresets::all()[1].name);
    EXPECT_EQ(state.activeProfileId(), state.profiles().back().id);
    EXPECT_EQ(screen.userRows().size(), 4u);
    QTest::mouseClick(screen.presetRows()[0]->applyButton(), Qt::LeftButton);
    EXPECT_EQ(state.activeProfileId(), settings::BuiltinPresets::all()[0].id);
    EXPECT_TRUE(test::saveScreenshots(screen, "profiles", 560));
}

TEST_F(ScreensTest, ExceptionEditorDiagnosesTheRuleInForceAndAddsFromThePicker) {
    platform::VirtualDisplayServices displays(2);
    platform::VirtualWorkspaceServices workspace;
    workspace.setRunningApplications({
        {41, "editor", "Editor", "", "", ActivationPolicy::Regular},
        {42, "player", "Player", "", "", ActivationPolicy::Regular},
    });
    state.setAppExceptions({{"editor", "Editor", core::ForceKelvin{4500}, true}});
    watchers::AppExceptionsManager manager([this] { return state.appExceptions(); }, nullptr);
    manager.setDebounceInterval(0s);
    AppExceptionsScreen screen(state, &manager, &workspace, &displays);
    EXPECT_EQ(screen.diagnosisLine(1)->fullText(), "none");
    EXPECT_TRUE(AppExceptionsScreen(state, &manager, nullptr, &displays)
                    .diagnosisLine(0)
                    ->fullText()
                    .startsWith("This desktop tells no program which window is in front"))
        << "where the desktop keeps its windows to itself";

    manager.setFrontmost("editor");
    EXPECT_TRUE(std::holds_alternative<rule_scope::NoWindows>(screen.ruleScope()));
    EXPECT_EQ(screen.diagnosisLine(0)->fullText(), "editor");
    EXPECT_EQ(screen.diagnosisLine(2)->fullText(), "no on-screen windows (rule dormant)");

    EXPECT_TRUE(screen.rows().empty()) << "rows are made once the screen is on view";
    screen.show();
    ASSERT_EQ(screen.rows().size(), 1u);
    screen.findChild<QSlider*>("ruleKelvin")->setValue(6000 / 50);
    screen.rows()[0]->chooseAction("disable");
    EXPECT_EQ(state.appExceptions()[0].action, core::AppExceptionAction(core::Disable{}));
    state.setAppExceptions(
        {{"player", "Player", core::Disable{}, true}, state.appExceptions()[0]}); // new rows
    screen.rows()[1]->chooseAction("force");
    EXPECT_EQ(state.appExceptions()[1].action, core::AppExceptionAction(core::ForceKelvin{6000})) << "kept";
    state.setAppExceptions({state.appExceptions()[1]});
    screen.rows()[0]->chooseAction("disable");
    screen.rows()[0]->enabledSwitch()->click();
    EXPECT_FALSE(state.appExceptions()[0].enabled);

    screen.showPicker();
    ASSERT_EQ(screen.pickerList()->count(), 2);
    EXPECT_FALSE(screen.pickerList()->item(0)->flags() & Qt::ItemIsEnabled) << "Editor is already added";
    QTest::keyClicks(screen.pickerSearch(), "PLA");
    ASSERT_EQ(screen.pickerList()->count(), 1);
    Q_EMIT screen.pickerList()->itemActivated(screen.pickerList()->item(0));
    EXPECT_FALSE(screen.pickerShown());
    ASSERT_EQ(state.appExceptions().size(), 2u);
    EXPECT_EQ(state.appExceptions()[1].displayName, "Player");
    int shownRows = 0;
    for (auto* row : screen.findChildren<AppExceptionRow*>())
        shownRows += row->isVisibleTo(&screen);
    EXPECT_EQ(shownRows, 2) << "rows replaced by a rebuild are not shown";
    EXPECT_TRUE(test::saveScreenshots(screen, "exceptions", 480));
}

TEST_F(ScreensTest, MapAndFieldsEditOnlyWhenLocationIsManual) {
    const Instant now = instantFromSecondsSinceEpoch(1'750'000'000);
    LocationScreen screen(state, [&] { return now; });
    screen.resize(320, 480);
    screen.show();
    LocationMap* map = screen.map();
    const double latitude = state.latitude();
    QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(map->width() / 2, map->height() / 2));
    EXPECT_EQ(state.latitude(), latitude) << "automatic location: the map is not interactive";
    EXPECT_TRUE(screen.latitudeField()->isReadOnly());
    screen.setServiceState({false, false, LocationServiceState::Error::None, now - Seconds(75), true});
    EXPECT_EQ(screen.fixCaption()->text(), "Updated 1m ago · approximate (from time zone)");

    screen.autoToggle()->click();
    EXPECT_FALSE(state.useAutoLocation());
    screen.setServiceState({false, false, LocationServiceState::Error::Failed, std::nullopt, false});
    EXPECT_FALSE(screen.banners()->isVisibleTo(&screen)) << "no fetch error while the place is typed";
    EXPECT_FALSE(screen.latitudeField()->isReadOnly());
    std::vector<std::string> writes;
    QObject::connect(&state, &settings::AppState::latitudeChanged, [&] { writes.push_back("lat"); });
    QObject::connect(&state, &settings::AppState::longitudeChanged, [&] { writes.push_back("lon"); });
    QTest::mousePress(map, Qt::LeftButton, {}, QPoint(map->width() / 2, map->height() / 2));
    EXPECT_EQ(state.latitude(), 0);
    EXPECT_EQ(state.longitude(), 0);
    EXPECT_EQ(writes, (std::vector<std::string>{"lat", "lon"}));
    EXPECT_TRUE(map->hoverPoint().has_value());
    EXPECT_TRUE(test::saveScreenshots(screen, "location-manual-dragging", 480));
    QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(map->width() / 2, map->height() / 2));
    EXPECT_FALSE(map->hoverPoint().has_value());

    screen.latitudeField()->setValue(-33.8688);
    EXPECT_EQ(state.latitude(), -33.8688);
    state.setUseAutoLocation(true);
    screen.setServiceState({false, false, LocationServiceState::Error::TimedOut, std::nullopt, false});
    EXPECT_TRUE(screen.banners()->failed()->isVisibleTo(&screen));
}

TEST_F(ScreensTest, CanvasSelectsTheClickedTileAndSaysWhenThereAreNoDisplays) {
    DisplayArrangementCanvas canvas;
    EXPECT_TRUE(test::saveScreenshots(canvas, "canvas-empty", 92));
    canvas.resize(300, 92);
    canvas.setDisplays(
        {{1, "Built-in", {0, 0, 1440, 900}, true}, {2, "DELL U2720Q", {1440, -300, 2560, 1440}, false}});
    std::optional<core::DisplayId> chosen;
    QObject::connect(&canvas, &DisplayArrangementCanvas::displaySelected,
                     [&](core::DisplayId id) { chosen = id; });
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, canvas.tileRect(1).center().toPoint());
    EXPECT_EQ(chosen, 2u);
    EXPECT_EQ(canvas.selectedId(), 2u);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(canvas.selectedId(), 2u) << "a click beside the tiles keeps the selection";
}

TEST_F(ScreensTest, HelpSpeaksOfUpdatesOnlyInABuildWithAFeed) {
    for (const HelpSection& s : HelpScreen::sections(false))
        EXPECT_FALSE((s.title + s.text).contains("update", Qt::CaseInsensitive)) << s.title.toStdString();
}

} // namespace
} // namespace tintwell::ui
