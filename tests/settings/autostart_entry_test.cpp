#include "core/application_id.h"
#include "settings/autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
} // namespace tintwell::settings
