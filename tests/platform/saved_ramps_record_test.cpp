// The crash record of the original ramps: what a damaged one looks like, and the private files.

#include "platform/x11/saved_ramps_record.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tintwell::platform;

namespace {

TEST(SavedRampsRecord, RoundTripsAndRefusesEveryKindOfDamage) {
    const SavedRampEntry entry{0x42, {0, 30000, 65535}, {0, 1, 2}, {7, 8, 9}, {0xfedcba9876543210ull, 0x1f}};
    std::string error;
    EXPECT_EQ(decodeSavedRamps(encodeSavedRamps({entry}), &error), std::vector{entry});

    const auto crtc = [](const std::string& fields) { return R"({"crtcs":[{)" + fields + "}]}"; };
    const std::string channels = R"("red":[0,1],"green":[0,1],"blue":[0,1])";
    ASSERT_TRUE(decodeSavedRamps(crtc(R"("crtc":5,"written":["1f"],)" + channels), &error)) << error;
    for (const std::string& damaged : {
             std::string("{not json"),
             std::string(R"({"crtcs":{}})"),
             crtc(R"("crtc":5,)" + channels),                   // no fingerprint
             crtc(R"("crtc":5,"written":["xyz"],)" + channels), // not hexadecimal
             crtc(R"("crtc":5,"written":[],)" + channels),
             crtc(R"("crtc":0,"written":["1f"],)" + channels),                                // no CRTC
             crtc(R"("crtc":5,"written":["1f"],"red":[0,1],"green":[0,1,2],"blue":[0,1])"),   // sizes differ
             crtc(R"("crtc":5,"written":["1f"],"red":[9],"green":[9],"blue":[9])"),           // no ramp
             crtc(R"("crtc":5,"written":["1f"],"red":[0,65536],"green":[0,1],"blue":[0,1])"), // > 16 bits
             crtc(R"("crtc":5,"written":["1f"],"red":[0,-1],"green":[0,1],"blue":[0,1])"),
         }) {
        error.clear();
        EXPECT_FALSE(decodeSavedRamps(damaged, &error)) << damaged;
        EXPECT_FALSE(error.empty()) << damaged;
    }
}

TEST(SavedRampsRecord, LivesInTheStateFolderClosedToOthers) {
    QTemporaryDir dir;
    qputenv("XDG_STATE_HOME", dir.path().toUtf8());
    EXPECT_EQ(savedRampsDirectory(), dir.path() + "/tintwell");
    qputenv("XDG_STATE_HOME", "relative/state");
    qputenv("HOME", dir.path().toUtf8());
    EXPECT_EQ(savedRampsDirectory(), dir.path() + "/.local/state/tintwell");

    const QString path = savedRampsDirectory() + "/saved-ramps-local_0.json";
    QString error;
    ASSERT_TRUE(writePrivateFile(path, "{}", &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(QFileInfo(savedRampsDirectory()).permissions() & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
