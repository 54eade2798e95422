// PNGs of the main screen for a person to review, one per state, in light and dark palettes.
// Written only when TINTWELL_SCREENSHOT_DIR is set; each case still checks what it shows.
#include "core/scheduler_core.h"
#include "core/solar_engine.h"
#include "ui/horizon_ribbon.h"
#include "ui/popup_window.h"
#include "ui/symbol_provider.h"
#include "ui_test_support.h"

#include <functional>

#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::ui;

namespace {

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2e), base(0x1e, 0x1e, 0x20), text(0xe8, 0xe8, 0xea);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xd8));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x70, 0x74));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x70, 0x70, 0x74));
    return p;
}

/// The live values of San Francisco (the default location) at a fixed winter evening.
void setLiveValues(settings::AppState& s) {
    const Instant at = instantFromSecondsSinceEpoch(1765155600); // 2025-12-08 01:00 UTC, dusk there
    const double altitude = core::SolarEngine::position(s.latitude(), s.longitude(), at).altitude;
    s.setCurrentAltitude(altitude);
    s.setCurrentKelvin(
        core::SchedulerCore::curveKelvin(altitude, s.dayKelvin(), s.nightKelvin(), s.transitionWidthDeg()));
}

struct Shot {
    const char* name;
    int displays;
    std::function<void(test::PopupHarness&)> prepare;
    const char* visibleObject; // a widget the state must show; nullptr for none
};

void takeShot(const Shot& shot, bool dark) {
    auto& app = test::widgetApplication();
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app.setPalette(dark ? darkPalette() : app.style()->standardPalette());
    test::PopupHarness h(shot.displays);
    setLiveValues(h.state);
    shot.prepare(h);
    h.controller.togglePopover();
    QTest::qWait(HorizonRibbon::dotAnimationMs + 50); // the sun dot glides into place
    if (shot.visibleObject) {
        auto* w = h.main().findChild<QWidget*>(QString::fromLatin1(shot.visibleObject));
        ASSERT_TRUE(w) << shot.visibleObject;
        EXPECT_TRUE(w->isVisibleTo(&h.main())) << shot.name << ": " << shot.visibleObject;
    }
    // Tall enough for every row, so that the review sees the whole screen.
    h.view().setHeightCap(5000);
    QCoreApplication::processEvents();
    const QImage image = h.controller.popup()->grab().toImage();
    EXPECT_GE(image.height(), h.main().sizeHint().height());
    const QString dir = test::screenshotDir();
    if (!dir.isEmpty()) {
        const QString file = QStringLiteral("%1/main-%2-%3.png")
                                 .arg(dir, QString::fromLatin1(shot.name), dark ? "dark" : "light");
        EXPECT_TRUE(image.save(file)) << file.toStdString();
    }
    h.controller.togglePopover();
    app.setPalette(app.style()->standardPalette());
}

const std::vector<Shot>& shots() {
    static const std::vector<Shot> list{
        {"one-display", 1,
         [](test::PopupHarness& h) {
             h.location.setLastFix(instantFromSystemClock(std::chrono::system_clock::now()) - Seconds(75),
                                   LocationStatus::Source::LocationService);
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
         [](test::PopupHarness& h) {
             h.state.setManualOverride(true);
             h.state.setManualKelvin(4200);
             h.state.setManualOverrideUntil(instantFromSystemClock(std::chrono::system_clock::now()) +
                                            Seconds(5400));
         },
         "untilCaption"},
        {"location-denied", 1,
         [](test::PopupHarness& h) {
             h.location.setAuthorizationStatus(LocationStatus::Authorization::Denied);
         },
         "deniedBanner"},
        {"location-error", 1,
         [](test::PopupHarness& h) {
             h.location.setLastError(LocationStatus::Error::TimedOut);
             h.location.setFetching(false);
         },
         "errorBanner"},
    };
    return list;
}

} // namespace

TEST(MainScreenScreenshots, EveryStateInLightAndDark) {
    for (const Shot& shot : shots())
        for (bool dark : {false, true}) {
            SCOPED_TRACE(std::string(shot.name) + (dark ? " dark" : " light"));
            takeShot(shot, dark);
        }
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
    const QString dir = test::screenshotDir();
    if (!dir.isEmpty()) {
        EXPECT_TRUE(sheet.save(dir + QStringLiteral("/status-icons.png")));
    }
}
