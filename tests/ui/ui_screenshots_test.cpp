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
