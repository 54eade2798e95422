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
    // Each way of answering: a key on a button, or the window closing (key 0).
    const struct {
        const char* how;
        int button;
        Qt::Key key;
        int expected;
    } cases[] = {
        {"second button", 1, Qt::Key_Space, 1},
        {"Escape", 0, Qt::Key_Escape, -1},
        {"window closed", 0, Qt::Key(0), -1},
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
            if (c.key)
                QTest::keyClick(alert->findChildren<QPushButton*>().at(c.button), c.key);
            else
                window.hide();
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
