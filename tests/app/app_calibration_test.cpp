// The colour always right, end to end on the test X server: calibration kept through crashes, one
// instance per display, no life after the X server, a lost tint back within seconds.
#include "core/application_id.h"
#include "platform/x11/x11_instance_selection.h"
#include "support/app_session.h"
#include "support/test_window.h"

#include <QDBusConnectionInterface>
#include <QRegularExpression>

using namespace tintwell;
using namespace std::chrono_literals;
using test::identityRamp;
using test::night;
using test::Ramp;
using test::spinUntil;
using test::X11Session;

namespace {

class AppCalibration : public test::AppSession {
protected:
    void SetUp() override {
        AppSession::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            writeIdentity();
    }
    void TearDown() override {
        AppSession::TearDown();
        writeIdentity();
    }
    void writeIdentity() {
        for (const char* name : {"DUMMY0", "DUMMY1"})
            session.writeRamp(crtc(name), identityRamp());
    }
    using AppSession::start;
    /// Starts the application and waits until it holds the display, which it does with its signal
    /// handler in place: from then on SIGTERM ends it in order.
    void start() {
        start(app);
        const std::string selection = platform::X11InstanceSelection::selectionName(0).toStdString();
        ASSERT_TRUE(spinUntil([&] { return session.selectionOwnerPid(selection) == app.processId(); }, 10s))
            << app.readAllStandardError().toStdString();
    }
    void quit() {
        app.terminate();
        ASSERT_TRUE(app.waitForFinished(10000));
        ASSERT_EQ(app.exitCode(), 0) << app.readAllStandardError().toStdString();
    }
    void crash() {
        app.kill();
        ASSERT_TRUE(app.waitForFinished(10000));
    }

    bool showsNight(const std::string& name) { return shows(name, night); }
    bool bothShowNight() { return showsNight("DUMMY0") && showsNight("DUMMY1"); }
    /// DUMMY0 with a calibration of its own, as a colour profile loader leaves it.
    Ramp calibrate(const QString& gamma) {
        EXPECT_TRUE(X11Session::xrandr({"--output", "DUMMY0", "--gamma", gamma}));
        return ramp("DUMMY0");
    }
};

TEST_F(AppCalibration, ACrashRecordIsUsedOnlyWhileTheScreenShowsWhatTheCrashedRunWrote) {
    const Ramp first = calibrate("0.8:0.9:1.0");
    start();
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));
    crash();
    start(); // the tint is still on screen: the record gives the calibration back
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));
    quit();
    EXPECT_EQ(ramp("DUMMY0"), first);

    start();
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));
    crash();
    ASSERT_EQ(run({"--reset"}).first, 0);
    const Ramp newer = calibrate("0.6:0.6:0.6");
    start();
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));
    quit();
    EXPECT_EQ(ramp("DUMMY0"), newer);
    EXPECT_EQ(ramp("DUMMY1"), identityRamp());
}

TEST_F(AppCalibration, ADamagedRecordIsReportedOnceAndTheDisplaysGetNeutralRampsAtQuit) {
    calibrate("0.8:0.9:1.0");
    start();
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));
    crash();
    const QDir records(dir.filePath("state/tintwell"));
    const QStringList files = records.entryList({"saved-ramps-*.json"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QFile record(records.filePath(files.front()));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(R"({"crtcs":[{"crtc":1,"red":[0,70000],"green":[0,1],"blue":[0,1],"written":["0"]}]})");
    record.close();

    start();
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));
    quit();
    EXPECT_EQ(QString(app.readAllStandardError()).count("is damaged"), 1);
    EXPECT_EQ(ramp("DUMMY0"), identityRamp());
    EXPECT_EQ(ramp("DUMMY1"), identityRamp());
}

TEST_F(AppCalibration, OneInstancePerDisplayWhateverTheRuntimeFolder) {
    QProcessEnvironment bare = env;
    bare.remove("XDG_RUNTIME_DIR");
    start(app, bare);
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));
    ASSERT_TRUE(spinUntil([] { // claimed just after the first evaluation
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(core::applicationId).value();
    }));
    QProcessEnvironment elsewhere = env;
    QTemporaryDir runtime;
    elsewhere.insert("XDG_RUNTIME_DIR", runtime.path());
    start(other, elsewhere);
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(other.exitCode(), 1);
    EXPECT_EQ(other.readAllStandardError().toStdString(),
              "Tintwell is already running (pid " + std::to_string(app.processId()) + ").\n");
    // ... and, as a launcher click should, brings the running one's popup forward.
    QByteArray log;
    EXPECT_TRUE(spinUntil([&] {
        return (log += app.readAllStandardError()).contains("ShowPopup requested");
    })) << log.toStdString();
    quit();
    EXPECT_EQ(ramp("DUMMY1"), identityRamp());
}

TEST_F(AppCalibration, ARampResetIsTintedAgainAtOnceWhenTheFrontmostApplicationChangesOrAWindowCloses) {
    ASSERT_TRUE(session.settleWindowManager());
    test::TestWindow game("TintwellE2EGame", "300x200+100+100"),
        editor("TintwellE2EEditor", "300x200+500+100");
    ASSERT_TRUE(game.activate());
    start();
    ASSERT_TRUE(spinUntil([&] { return bothShowNight(); }));

    session.writeRamp(crtc("DUMMY0"), identityRamp()); // the game gives the screen back...
    ASSERT_TRUE(editor.activate());                    // ...as another application comes to the front
    EXPECT_TRUE(spinUntil([&] { return showsNight("DUMMY0"); }, 500ms));

    session.writeRamp(crtc("DUMMY1"), identityRamp());
    game.quit();
    EXPECT_TRUE(spinUntil([&] { return showsNight("DUMMY1"); }, 500ms));
}

/// An X server of the test's own, which the test may take away.
class PrivateXServer {
public:
    PrivateXServer() {
        process_.start("Xorg",
                       {"-displayfd", "1", "-config", TINTWELL_XORG_CONFIG, "-logfile",
                        dir_.filePath("X.log"), "-noreset", "-nolisten", "tcp", "-novtswitch", "-sharevts"});
        if (process_.waitForStarted(5000) && spinUntil([&] { return process_.canReadLine(); }, 10s))
            display_ = ":" + process_.readLine().trimmed();
    }
    ~PrivateXServer() { stop(); }
    const QString& display() const { return display_; }
    void stop() {
        process_.terminate();
        process_.waitForFinished(10000);
    }
    /// Whether the first monitor shows a warm tint (the blue channel held below its top).
    bool tinted() {
        X11Session there(display_.toLatin1().constData());
        const auto output = there.output("DUMMY0");
        const Ramp ramp = output ? there.readRamp(there.crtcOf(*output)) : Ramp{};
        return !ramp.b.empty() && ramp.b.back() < 60000;
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString display_;
};

TEST_F(AppCalibration, TheApplicationExitsWithItsXServer) {
    PrivateXServer server;
    ASSERT_FALSE(server.display().isEmpty());
    QProcessEnvironment there = env;
    there.insert("DISPLAY", server.display());
    start(app, there);
    ASSERT_TRUE(spinUntil([&] { return server.tinted(); }, 10s)) << app.readAllStandardError().toStdString();
    app.readAllStandardError();

    server.stop();
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 1);
    // Whichever part notices first, Qt's connection or ours, the loss is told in one line, the last.
    const QStringList lines = QString(app.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    const auto aboutTheLoss = lines.filter(QRegularExpression("connection|X server|X11|display :"));
    ASSERT_EQ(aboutTheLoss.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.back().startsWith("Lost the connection to the X display " + server.display()))
        << lines.join('\n').toStdString();
}

} // namespace
