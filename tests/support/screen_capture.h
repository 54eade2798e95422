#pragma once

#include <QAbstractAnimation>
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace tintwell::test {

/// The process's QApplication on the offscreen platform, created on first use with the Fusion
/// style, so widgets look the same on every machine.
inline QApplication& widgetApplication() {
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tintwell-ui-test";
        static char* argv[] = {name, nullptr};
        auto* a = new QApplication(argc, argv);
        a->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0"));
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        return a;
    }();
    return *app;
}

/// A dark palette for the dark-mode screenshots.
inline QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    p.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    p.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x38));
    p.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    p.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xea));
    p.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0xa0));
    p.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5a));
    // Dark themes dim what cannot be used, as the light one does.
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x6e, 0x6e, 0x73));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x55, 0x55, 0x5a));
    return p;
}

/// Writes `image` as FILE into $TINTWELL_SCREENSHOT_DIR; does nothing when the variable is unset.
/// Returns false when the file could not be written.
inline bool saveScreenshot(const QImage& image, const QString& file) {
    const QString dir = qEnvironmentVariable("TINTWELL_SCREENSHOT_DIR");
    return dir.isEmpty() || (QDir().mkpath(dir) && image.save(dir + "/" + file));
}

/// Moves every running animation inside `widget` to its end, so a picture shows where things come
/// to rest.
inline void finishAnimations(QWidget& widget) {
    for (auto* animation : widget.findChildren<QAbstractAnimation*>())
        if (animation->state() == QAbstractAnimation::Running)
            animation->setCurrentTime(animation->totalDuration());
}

/// Writes `widget` at width 320 as NAME-light.png and NAME-dark.png into $TINTWELL_SCREENSHOT_DIR;
/// does nothing when the variable is unset. Returns false when a file could not be written.
inline bool saveScreenshots(QWidget& widget, const QString& name, int height = 0) {
    if (qEnvironmentVariableIsEmpty("TINTWELL_SCREENSHOT_DIR"))
        return true;
    bool ok = true;
    // The whole application takes the palette, as under a dark desktop theme, so widgets polished
    // by a style sheet follow it too.
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        widget.setAutoFillBackground(true);
        widget.resize(320, height > 0 ? height : std::max(widget.sizeHint().height(), 200));
        widget.show();
        finishAnimations(widget);
        QApplication::processEvents();
        ok = saveScreenshot(widget.grab().toImage(), name + (dark ? "-dark.png" : "-light.png")) && ok;
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
    return ok;
}

} // namespace tintwell::test
