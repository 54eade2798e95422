// PNGs of the main screen and the tray symbols for a person to review, in light and dark palettes.
// Written only when TINTWELL_SCREENSHOT_DIR is set; each case still checks what it shows.
#include "core/scheduler_core.h"
#include "core/solar_engine.h"
#include "ui/tray/popup_window.h"
#include "ui/widgets/horizon_ribbon.h"
#include "ui/widgets/symbol_provider.h"
#include "ui_test_support.h"

#include <functional>

#include <QPainter>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::ui;

TEST(MainScreenScreenshots, EveryStateInLightAndDark) {
    test::widgetApplication();
    const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
    struct Shot {
        const char* name;
        int displays;
        std::function<void(test::PopupHarness&)> prepare;
        const char* visibleObject; // a widget the state must show; nullptr for none
    } shots[] = {
        {"one-display", 1,
         [&](test::PopupHarness& h) {
             h.location.setLastFix(now - Seconds(75), LocationStatus::Source::LocationService);
         },
         "horizonRibbon"},
        {"two-displays", 2,
         [](test::PopupHarness& h) {
             h.state.setDisplaySettings({6000, 2700, 16, 0.85, 1.0, 5000},
                                        "00000000-0000-5000-8000-000000000002");
             h.controller.displayEditor().setEditTargetId(2);
         },
         "useGlobal"},
        {"paused", 1, [](test::PopupHarness& h) { h.state.setPaused(true); }, nullptr},
        {"manual-until", 1,
         [&](test::PopupHarness& h) {
             h.state.setManualOverride(true);
             h.state.setManualKelvin(4200);
             h.state.setManualOverrideUntil(now + Seconds(5400));
         },
         "untilCaption"},
        {"location-denied", 1,
         [](test::PopupHarness& h) {
             h.location.setAuthorizationStatus(LocationStatus::Authorization::Denied);
         },
         "deniedBanner"},
        {"location-error", 1,
         [](test::PopupHarness& h) { h.location.setLastError(LocationStatus::Error::TimedOut); },
         "errorBanner"},
        {"desktop-limits", 1,
         [](test::PopupHarness& h) {
             h.displays.setDesktopLimits({false, false, false,
                                          "KDE Plasma's night light takes one colour "
                                          "temperature for all displays, nothing more"},
                                         "GNOME Night Light is on; turn it off to let Tintwell tint");
         },
         "displayCapabilities"},
    };
    for (const Shot& shot : shots)
        for (const bool dark : {false, true}) {
            SCOPED_TRACE(std::string(shot.name) + (dark ? " dark" : " light"));
            // Set before the screen is built: secondary captions take their colour when made.
            QApplication::setPalette(dark ? test::darkPalette() : QApplication::style()->standardPalette());
            test::PopupHarness h(shot.displays);
            // San Francisco (the default location) at dusk, 2025-12-08 01:00 UTC.
            const double altitude = core::SolarEngine::position(h.state.latitude(), h.state.longitude(),
                                                                instantFromSecondsSinceEpoch(1765155600))
                                        .altitude;
            h.state.setCurrentAltitude(altitude);
            h.state.setCurrentKelvin(core::SchedulerCore::curveKelvin(
                altitude, h.state.dayKelvin(), h.state.nightKelvin(), h.state.transitionWidthDeg()));
            shot.prepare(h);
            h.controller.togglePopover();
            test::finishAnimations(*h.controller.popup()); // the sun dot glides into place
            if (shot.visibleObject) {
                auto* w = h.main().findChild<QWidget*>(QString::fromLatin1(shot.visibleObject));
                ASSERT_TRUE(w);
                EXPECT_TRUE(w->isVisibleTo(&h.main())) << shot.visibleObject;
            }
            h.view().setHeightCap(5000); // every row, so that the review sees the whole screen
            QCoreApplication::processEvents();
            const QImage image = h.controller.popup()->grab().toImage();
            EXPECT_GE(image.height(), h.main().sizeHint().height());
            EXPECT_TRUE(test::saveScreenshot(
                image, QStringLiteral("main-%1-%2.png").arg(shot.name, dark ? "dark" : "light")));
            h.controller.togglePopover();
        }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

TEST(StatusIconScreenshots, EachSymbolStandsOutOnLightAndDarkPanelsAtOneAndTwoTimesScale) {
    test::widgetApplication();
    const QStringList symbols{"sun.max", "moon.stars", "sun.max.trianglebadge.exclamationmark", "testtube"};
    const QList<QColor> panels{QColor(0xf2, 0xf2, 0xf2), QColor(0x1e, 0x1e, 0x1e)};
    constexpr int side = 22;
    QImage sheet(symbols.size() * (side * 3 + 8), panels.size() * (side * 2 + 8), QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter sheetPainter(&sheet);
    for (int row = 0; row < panels.size(); ++row) {
        for (int col = 0; col < symbols.size(); ++col) {
            for (const qreal scale : {1.0, 2.0}) {
                const QPixmap icon = SymbolProvider::trayIcon(symbols[col]).pixmap(QSize(side, side), scale);
                EXPECT_EQ(icon.width(), qRound(side * scale))
                    << symbols[col].toStdString(); // drawn, not scaled up
                QImage panel(icon.size(), QImage::Format_ARGB32);
                panel.fill(panels[row]);
                QPainter(&panel).drawPixmap(QRect(QPoint(0, 0), icon.size()), icon); // device pixels
                int contrasting = 0;
                for (int y = 0; y < panel.height(); ++y)
                    for (int x = 0; x < panel.width(); ++x)
                        contrasting +=
                            std::abs(panel.pixelColor(x, y).lightness() - panels[row].lightness()) > 90;
                // A clear glyph: at least a twentieth of the square differs strongly from the panel.
                EXPECT_GT(contrasting, panel.width() * panel.height() / 20)
                    << symbols[col].toStdString() << " on panel " << row << " at " << scale << "x";
                const QPoint at(col * (side * 3 + 8) + (scale == 1.0 ? 0 : side + 4), row * (side * 2 + 8));
                sheetPainter.fillRect(QRect(at, QSize(side * 2 + 4, side * 2 + 4)), panels[row]);
                sheetPainter.drawImage(QRect(at, QSize(side * 2, side * 2)), panel); // 2x shown at full size
            }
        }
    }
    sheetPainter.end();
    EXPECT_TRUE(test::saveScreenshot(sheet, QStringLiteral("status-icons.png")));
}
