#pragma once

// A stand-in application on the test X server: its own process (tintwell_test_window), WM_CLASS,
// _NET_WM_PID and one window. The test target defines TINTWELL_TEST_WINDOW.

#include <cstdint>
#include <string>

#include <QProcess>
#include <QStringList>

namespace tintwell::test {

class TestWindow {
public:
    /// `windowClass` is also the application id; `geometry` as WxH+X+Y.
    /// Without `withPid` the window carries no _NET_WM_PID, as some toolkits' windows do.
    TestWindow(const QString& windowClass, const QString& geometry, bool dock = false, bool withPid = true)
        : class_(windowClass) {
        QStringList args{"--class", windowClass, "--geometry", geometry};
        if (dock)
            args << "--dock";
        if (!withPid)
            args << "--no-pid";
        process_.start(TINTWELL_TEST_WINDOW, args);
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            window_ = process_.readLine().trimmed();
    }
    ~TestWindow() { quit(); }
    void quit() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    bool ok() const { return !window_.isEmpty(); }
    std::int32_t pid() const { return static_cast<std::int32_t>(process_.processId()); }
    std::string id() const { return class_.toStdString(); }
    /// Runs xdotool on the window, e.g. xdo({"windowmove", "%w", "10", "10"}).
    bool xdo(QStringList args) const {
        args.replaceInStrings("%w", window_);
        return ok() && QProcess::execute("xdotool", args) == 0;
    }
    bool activate() const { return xdo({"windowactivate", "--sync", "%w"}); }

private:
    QString class_;
    QString window_;
    QProcess process_;
};

} // namespace tintwell::test
