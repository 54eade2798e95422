// Every screen of the popup in each of its states, with long names, the largest values and texts as
// long as a wordy translation: nothing may leave the popup's 320 pixels, and Tab must reach every
// control. Leaves <scene>[-stretched]-<light|dark>.png in $TINTWELL_SCREENSHOT_DIR.
#include "settings/builtin_presets.h"
#include "ui/screens/app_exceptions_screen.h"
#include "ui/screens/save_profile_panel.h"
#include "ui/tray/popup_window.h"
#include "ui/widgets/horizon_ribbon.h"
#include "ui_test_support.h"
#include "watchers/hotkey_names.h"

#include <algorithm>
#include <functional>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QButtonGroup>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::ui;
using test::PopupHarness;

namespace {

const std::string longApp = "Visual Studio Code — Insiders Edition (Flatpak sandbox)";
const std::string longId = "com.visualstudio.code.insiders.flatpak.sandboxed";
const std::string longDisplay = "Dell UltraSharp U2723QE 27-inch 4K USB-C Hub Monitor";

/// Each word some 40 % longer, as in a language with long compound words; numbers stay.
QString stretched(QString text) {
    static const QRegularExpression word(QStringLiteral("\\p{L}+"));
    QList<QRegularExpressionMatch> words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words.prepend(it.next()); // from the end, so the offsets still hold
    for (const auto& w : words)
        text.insert(w.capturedEnd(), w.captured().left((w.capturedLength() * 2 + 4) / 5).toLower());
    return text;
}

/// Rich text (a label's, starting with '<') stays as it is.
template <class Plain, class Elided>
void stretchTexts(QWidget& root) {
    for (auto* w : root.findChildren<Plain*>())
        if (auto* elided = qobject_cast<Elided*>(w))
            elided->setFullText(stretched(elided->fullText()));
        else if (!w->text().isEmpty() && !w->text().startsWith('<'))
            w->setText(stretched(w->text()));
}

/// The first way `w` is cut: by the edge of an ancestor (across, always; down, unless it lies in a
/// scrolling area). Empty when it shows whole.
std::string cutBy(const QWidget& w, const QWidget& window) {
    bool scrolled = false;
    for (const QWidget* a = w.parentWidget(); a; a = a->parentWidget()) {
        const QRect r(w.mapTo(a, QPoint(0, 0)), w.size());
        scrolled = scrolled || qobject_cast<const QAbstractScrollArea*>(a->parentWidget());
        if (r.left() < 0 || r.right() > a->width() - 1 ||
            (!scrolled && (r.top() < 0 || r.bottom() > a->height() - 1)))
            return a->metaObject()->className() + std::string(" ") + a->objectName().toStdString();
        if (a == &window)
            break;
    }
    return {};
}

/// A control as Tab sees it: an exclusive group of buttons is one stop (the arrows move within it).
QObject* tabStop(QWidget* w) {
    const auto* button = qobject_cast<QAbstractButton*>(w);
    return button && button->group() && button->group()->exclusive() ? static_cast<QObject*>(button->group())
                                                                     : w;
}

/// Visible, enabled controls that Tab should reach, and those it does reach from the first one;
/// each control must look different while it has the focus.
std::pair<std::map<QObject*, QWidget*>, std::set<QObject*>> tabReach(QWidget& page, QWidget& window) {
    std::map<QObject*, QWidget*> wanted;
    for (auto* w : page.findChildren<QWidget*>())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            wanted.emplace(tabStop(w), w);
    std::map<QWidget*, QImage> unfocused;
    if (QWidget* f = window.focusWidget())
        f->clearFocus();
    for (const auto& [stop, w] : wanted)
        unfocused[w] = w->grab().toImage();
    std::set<QObject*> reached;
    focusFirstControl(&page);
    for (std::size_t i = 0; i < 2 * wanted.size() + 2 && window.focusWidget(); ++i) {
        QWidget* w = window.focusWidget();
        reached.insert(tabStop(w));
        if (const auto it = unfocused.find(w); it != unfocused.end()) {
            EXPECT_TRUE(w->grab().toImage() != it->second)
                << w->metaObject()->className() << " " << w->objectName().toStdString() << " shows no focus";
            unfocused.erase(it);
        }
        QTest::keyClick(w, Qt::Key_Tab);
    }
    return {wanted, reached};
}

void activeException(PopupHarness& h, core::AppExceptionAction action) {
    h.state.setAppExceptions(
        {{longId, longApp, action, true}, {"org.gnome.Terminal", "Terminal", core::Disable{}, true}});
    h.exceptions.setFrontmost(longId);
}

const core::Profile& coding() {
    return *std::ranges::find(settings::BuiltinPresets::all(), "Coding (long sessions)",
                              &core::Profile::name);
}

struct Scene {
    const char* name;
    Screen screen;
    int displays;
    std::function<void(PopupHarness&)> prepare;
};

} // namespace

TEST(PopupLayout, EveryScreenAndStateFitsTheWidthAndTabReachesEveryControl) {
    test::widgetApplication();
    const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
    const auto codingAtNight = [](PopupHarness& h) {
        h.state.applyProfile(coding());
        h.state.setNightKelvin(2950);
    };
    const auto displays = [&](int count) {
        return [count](PopupHarness& h) {
            std::vector<platform::DisplayDescription> list;
            for (int id = 1; id <= count; ++id) { // the virtual ones side by side, with long names
                list.push_back(*h.displays.describe(id));
                list.back().name = longDisplay + " " + std::to_string(id);
            }
            h.displays.setDisplays(list);
            h.controller.displayEditor().refreshConnectedDisplays();
            h.state.setDisplaySettings({6000, 2700, 16, 0.85, 1.0, 5000}, *list.back().key);
            h.controller.displayEditor().setEditTargetId(count);
            h.main().findChild<QToolButton*>("arrangementButton")->setChecked(true);
        };
    };
    const Scene scenes[] = {
        {"main-coding", Screen::Main, 1, codingAtNight},
        {"main-long-names", Screen::Main, 2,
         [&](PopupHarness& h) {
             codingAtNight(h);
             h.state.saveCurrentAsProfile("Late-night reading beside the warm desk lamp");
             h.state.setDayKelvin(6450);
             activeException(h, core::ForceKelvin{6000});
             h.state.setManualOverride(true);
             h.state.setManualOverrideUntil(now + Seconds(5400));
         }},
        {"main-largest-values", Screen::Main, 1,
         [](PopupHarness& h) {
             h.state.applyProfile(coding());
             h.state.setManualOverride(true);
             for (auto [field, value] : {std::pair{settings::ProfileField::ManualKelvin, 10000.0},
                                         {settings::ProfileField::DayKelvin, 10000.0},
                                         {settings::ProfileField::NightKelvin, 6500.0},
                                         {settings::ProfileField::TransitionWidthDeg, 40.0},
                                         {settings::ProfileField::Brightness, 1.0},
                                         {settings::ProfileField::Gamma, 2.6}})
                 h.controller.displayEditor().setScopedValue(field, value);
             h.state.setCurrentKelvin(10000);
             h.state.setCurrentAltitude(-89.9);
         }},
        {"main-two-displays", Screen::Main, 2, displays(2)},
        {"main-six-displays", Screen::Main, 6, displays(6)},
        {"main-denied", Screen::Main, 1,
         [](PopupHarness& h) {
             h.location.setAuthorizationStatus(LocationStatus::Authorization::Denied);
             activeException(h, core::Disable{});
         }},
        {"main-paused", Screen::Main, 1, [](PopupHarness& h) { h.state.setPaused(true); }},
        {"main-error", Screen::Main, 1,
         [](PopupHarness& h) { h.location.setLastError(LocationStatus::Error::TimedOut); }},
        {"main-desktop-limits", Screen::Main, 1,
         [](PopupHarness& h) {
             h.displays.setDesktopLimits({false, false, false,
                                          "KDE Plasma's night light takes one colour "
                                          "temperature for all displays, nothing more"},
                                         "GNOME Night Light is on; turn it off to let Tintwell tint");
         }},
        {"help-sections", Screen::Help, 1, [](PopupHarness&) {}},
        {"profiles-none", Screen::ProfileManager, 1, [](PopupHarness&) {}},
        {"profiles-long-names", Screen::ProfileManager, 1,
         [](PopupHarness& h) {
             h.state.saveCurrentAsProfile("Late-night reading beside the warm desk lamp");
             h.state.saveCurrentAsProfile("Photo editing (colour-critical, calibrated)");
             h.state.applyProfile(coding());
         }},
        {"hotkeys-longest", Screen::Hotkeys, 1,
         [](PopupHarness& h) {
             const auto all = platform::modifier::control | platform::modifier::option |
                              platform::modifier::shift | platform::modifier::command;
             for (const auto& name : watchers::hotkeys::allTintwell())
                 h.shortcuts.setShortcut(shortcuts::Shortcut::fromKeyCode(platform::vk::keypadEnter, all),
                                         name);
         }},
        {"exceptions-empty", Screen::AppExceptions, 1, [](PopupHarness&) {}},
        {"exceptions-force", Screen::AppExceptions, 2,
         [](PopupHarness& h) { activeException(h, core::ForceKelvin{10000}); }},
        {"exceptions-picker-long-names", Screen::AppExceptions, 1,
         [](PopupHarness& h) {
             h.workspace.setRunningApplications(
                 {{41, longId, longApp, "", "", {}}, {42, "XTerm", "XTerm", "", "", {}}});
             h.state.setAppExceptions({{"XTerm", "XTerm", core::Disable{}, true}});
             h.view().findChild<AppExceptionsScreen*>()->showPicker();
         }},
        {"location-auto-fix", Screen::Location, 1,
         [&](PopupHarness& h) {
             h.location.setLastFix(now - Seconds(75), LocationStatus::Source::TimeZoneEstimate);
         }},
        {"location-manual", Screen::Location, 1,
         [](PopupHarness& h) {
             h.state.setUseAutoLocation(false);
             h.location.setLastError(LocationStatus::Error::Failed);
         }},
        {"location-error-banner", Screen::Location, 1,
         [](PopupHarness& h) { h.location.setLastError(LocationStatus::Error::Failed); }},
        {"location-denied", Screen::Location, 1,
         [](PopupHarness& h) { h.location.setAuthorizationStatus(LocationStatus::Authorization::Denied); }},
        {"save-profile-long-name", Screen::SaveProfile, 1,
         [](PopupHarness& h) {
             h.view().showScreen(Screen::SaveProfile);
             h.view().saveProfilePanel()->nameField()->setText(QString::fromStdString(longApp));
         }},
        {"onboarding", Screen::Onboarding, 1,
         [](PopupHarness& h) {
             h.location.setAuthorizationStatus(LocationStatus::Authorization::NotDetermined);
         }},
    };
    for (const Scene& scene : scenes)
        for (const bool stretch : {false, true})
            for (const bool dark : {false, true}) {
                const QString name = QString::fromLatin1(scene.name) + (stretch ? "-stretched" : "");
                SCOPED_TRACE(name.toStdString() + (dark ? " dark" : " light"));
                QApplication::setPalette(dark ? test::darkPalette()
                                              : QApplication::style()->standardPalette());
                PopupHarness h(scene.displays);
                h.state.setCurrentKelvin(4321);
                h.state.setCurrentAltitude(-3.2);
                h.controller.togglePopover();
                h.view().setHeightCap(5000);
                scene.prepare(h);
                if (scene.screen != Screen::SaveProfile)
                    h.view().showScreen(scene.screen);
                QCoreApplication::processEvents();
                PopupWindow& popup = *h.controller.popup();
                QWidget& page = *h.view().currentWidget();
                if (stretch)
                    stretchTexts<QLabel, ElidedLabel>(page),
                        stretchTexts<QAbstractButton, ElidedToolButton>(page);
                for (int pass = 0; pass < 4; ++pass) // each layout level asks the one above on the next pass
                    QCoreApplication::processEvents();
                test::finishAnimations(popup);
                ASSERT_EQ(popup.width(), popupWidth + 2);

                for (auto* w : page.findChildren<QWidget*>())
                    if (w->isVisible() && !w->size().isEmpty()) {
                        if (const std::string cut = cutBy(*w, popup); !cut.empty())
                            ADD_FAILURE() << w->metaObject()->className() << " "
                                          << w->objectName().toStdString() << " leaves " << cut;
                        if (auto* l = qobject_cast<QLabel*>(w); l && !qobject_cast<ElidedLabel*>(l)) {
                            EXPECT_TRUE(l->wordWrap() ? l->heightForWidth(l->width()) <= l->height()
                                                      : l->sizeHint().width() <= l->width())
                                << "text cut inside " << l->text().toStdString() << " w=" << l->width()
                                << " h=" << l->height() << " hfw=" << l->heightForWidth(l->width());
                        }
                        // A plain tooltip is one line however long; rich text wraps.
                        EXPECT_TRUE(w->toolTip().size() < 60 || Qt::mightBeRichText(w->toolTip()))
                            << w->toolTip().toStdString();
                    }
                if (auto* ribbon = page.findChild<HorizonRibbon*>(); ribbon && ribbon->isVisible()) {
                    const QPointF dot =
                        ribbon->dotCenter(); // radius 5 and a 1.5-pixel rim, whole at either end
                    EXPECT_GE(dot.x() - 5.75, ribbon->ribbonRect().left());
                    EXPECT_LE(dot.x() + 5.75, ribbon->ribbonRect().right() + 1);
                }
                const auto [wanted, reached] = tabReach(page, popup);
                for (const auto& [stop, w] : wanted)
                    EXPECT_TRUE(reached.contains(stop))
                        << w->metaObject()->className() << " " << w->objectName().toStdString()
                        << " not reached by Tab";
                EXPECT_TRUE(
                    test::saveScreenshot(popup.grab().toImage(), name + (dark ? "-dark.png" : "-light.png")));
            }
    QApplication::setPalette(QApplication::style()->standardPalette());
}
