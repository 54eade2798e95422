#include "core/application_id.h"
#include "settings/autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace tintwell::settings {
namespace {

class AutostartEntryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("autostart/org.tintwell.Tintwell.desktop");

    QString read() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(AutostartEntryTest, OnWritesAValidEntryForThisProgramAndOffRemovesIt) {
    AutostartEntry entry(path, "/opt/my apps/tint$well");
    EXPECT_FALSE(entry.isEnabled());
    ASSERT_EQ(entry.setEnabled(true), std::nullopt);
    EXPECT_TRUE(entry.isEnabled());
    // Quoted for the launcher, then escaped once more as a string value.
    EXPECT_TRUE(read().contains("\nExec=\"/opt/my apps/tint\\\\$well\"\n")) << read().toStdString();
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
        QProcess validate;
        validate.start("desktop-file-validate", {path});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    }

    ASSERT_EQ(entry.setEnabled(false), std::nullopt);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_EQ(entry.setEnabled(false), std::nullopt);
}

TEST_F(AutostartEntryTest, AnEntrySwitchedOffByTheDesktopReadsAsOffUntilSwitchedOn) {
    ASSERT_TRUE(QDir().mkpath(dir.filePath("autostart")));
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("[Desktop Entry]\nType=Application\nExec=tintwell\n") + off + "\n");
        f.close();
        AutostartEntry entry(path, "tintwell");
        EXPECT_FALSE(entry.isEnabled()) << off;
        ASSERT_EQ(entry.setEnabled(true), std::nullopt);
        EXPECT_TRUE(entry.isEnabled()) << off;
    }
}

TEST_F(AutostartEntryTest, AFolderThatCannotBeMadeIsReported) {
    QFile blocker(dir.filePath("autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AutostartEntry entry(path, "tintwell");
    const auto error = entry.setEnabled(true);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(dir.filePath("autostart"))) << error->toStdString();
    EXPECT_FALSE(entry.isEnabled());
}

TEST(AutostartEntryPath, LiesInTheUsersConfigFolderEvenWithoutHome) {
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME"), savedHome = qgetenv("HOME");
    const QString file = QStringLiteral("/autostart/%1.desktop").arg(core::applicationId);
    const QString passwdHome = QString::fromLocal8Bit(::getpwuid(::getuid())->pw_dir);
    struct Case {
        const char* xdg;  // null: unset
        const char* home; // null: unset
        QString folder;
    };
    for (const Case& c : {Case{"/cfg", "/h", "/cfg"}, Case{"relative", "/h", "/h/.config"},
                          Case{nullptr, nullptr, passwdHome + "/.config"}}) {
        c.xdg ? qputenv("XDG_CONFIG_HOME", c.xdg) : qunsetenv("XDG_CONFIG_HOME");
        c.home ? qputenv("HOME", c.home) : qunsetenv("HOME");
        EXPECT_EQ(AutostartEntry::defaultPath().toStdString(), (c.folder + file).toStdString())
            << (c.xdg ? c.xdg : "-");
    }
    qputenv("XDG_CONFIG_HOME", savedXdg);
    qputenv("HOME", savedHome);
}

} // namespace
} // namespace tintwell::settings
