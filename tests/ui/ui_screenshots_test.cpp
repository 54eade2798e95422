// PNGs of the tray symbols for a person to review, on light and dark panels (the popup's screens are
// in the layout test). Written only when TINTWELL_SCREENSHOT_DIR is set; each case still checks
// what it shows.
#include "support/screen_capture.h"
#include "ui/widgets/symbol_provider.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::ui;

TEST(StatusIconScreenshots, EachSymbolStandsOutOnLightAndDarkPanelsAtOneAndTwoTimesScale) {
    test::widgetApplication();
    constexpr int side = 22;
    for (const QString symbol :
         {"sun.max", "moon.stars", "sun.max.trianglebadge.exclamationmark", "testtube"})
        for (const QColor background : {QColor(0xf2, 0xf2, 0xf2), QColor(0x1e, 0x1e, 0x1e)})
            for (const int scale : {1, 2}) {
                const QString name =
                    QString("status-icon-%1-%2-%3x").arg(symbol, background.name().mid(1)).arg(scale);
                SCOPED_TRACE(name.toStdString());
                const QPixmap icon = SymbolProvider::trayIcon(symbol).pixmap(QSize(side, side), scale);
                EXPECT_EQ(icon.width(), side * scale); // drawn, not scaled up
                QImage panel(icon.size(), QImage::Format_ARGB32);
                panel.fill(background);
                QPainter(&panel).drawPixmap(QRect(QPoint(0, 0), icon.size()), icon); // device pixels
                int contrasting = 0;
                for (int y = 0; y < panel.height(); ++y)
                    for (int x = 0; x < panel.width(); ++x)
                        contrasting +=
                            std::abs(panel.pixelColor(x, y).lightness() - background.lightness()) > 90;
                // A clear glyph: at least a twentieth of the square differs strongly from the panel.
                EXPECT_GT(contrasting, panel.width() * panel.height() / 20);
                EXPECT_TRUE(test::saveScreenshot(panel, name + ".png"));
            }
}
