#include "support/screen_capture.h"
#include "ui/screens/hotkeys_screen.h"
#include "ui/widgets/inline_alert.h"
#include "ui/widgets/shortcut_recorder_backend.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tintwell::ui {
namespace {

// The alert is answered inside the window it covers: a button, Escape, or the window closing.
TEST(InlineAlert, AnswersWithTheButtonChosenOrMinusOne) {
    test::widgetApplication();
    const struct {
        const char* how;
        std::function<void(QWidget& window, QWidget& alert)> answer;
        int expected;
    } cases[] = {
        {"second button", [](QWidget&, QWidget& alert) { alert.findChildren<QPushButton*>().at(1)->click(); },
         1},
        {"Return on the first",
         [](QWidget&, QWidget& alert) {
             QTest::keyClick(alert.findChildren<QPushButton*>().at(0), Qt::Key_Return);
         },
         0},
        {"Escape",
         [](QWidget&, QWidget& alert) {
             QTest::keyClick(alert.findChildren<QPushButton*>().at(0), Qt::Key_Escape);
         },
         -1},
        {"window closed", [](QWidget& window, QWidget&) { window.hide(); }, -1},
    };
    for (const auto& c : cases) {
        NoShortcutsBackend backend;
        HotkeysScreen window(backend, {});
        window.resize(320, 360);
        window.show();
        bool shot = true;
        QTimer::singleShot(0, &window, [&] {
            auto* alert = window.findChild<QWidget*>("inlineAlert");
            if (!alert || !alert->isVisible()) {
                ADD_FAILURE() << c.how << ": no alert shown";
                return window.hide(); // ends the wait
            }
            if (c.expected == 1)
                shot = test::saveScreenshots(window, "hotkeys-alert", 360);
            c.answer(window, *alert);
        });
        EXPECT_EQ(InlineAlert::ask(&window,
                                   "This shortcut cannot be used because it is already used by the "
                                   "menu item “Quit Tintwell”.",
                                   {}, {"OK", "Use Anyway"}),
                  c.expected)
            << c.how;
        EXPECT_TRUE(shot);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window.findChild<QWidget*>("inlineAlert"), nullptr) << c.how;
    }
}

} // namespace
} // namespace tintwell::ui
