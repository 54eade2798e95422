#include "settings/json_file_user_defaults.h"
#include "support/child_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tintwell::settings;

namespace {

std::string readAll(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

void writeAll(const std::string& path, const std::string& text) {
    QFile f(QString::fromStdString(path));
    QDir().mkpath(QFileInfo(f).absolutePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

QStringList entries(const QTemporaryDir& dir, const QString& sub = {}) {
    return QDir(dir.path() + sub).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class JsonFileUserDefaultsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path = (dir.path() + "/tintwell/defaults.json").toStdString();
};

} // namespace

TEST_F(JsonFileUserDefaultsTest, EveryKindSurvivesAFreshLoadWithItsKind) {
    const Dictionary values{
        {"b", Value(std::in_place_type<bool>, true)},
        {"i", Value(std::in_place_type<std::int64_t>, 0)},
        {"big", Value(std::in_place_type<std::int64_t>, -9007199254740993)},
        {"whole", Value(std::in_place_type<double>, 6000.0)},
        {"frac", Value(std::in_place_type<double>, 48.85)},
        {"s", Value(std::in_place_type<std::string>, "Café \"quoted\"\n")},
        {"d", Value(std::in_place_type<Data>, Data{std::string("\0\xff[1]", 5)})},
    };
    {
        JsonFileUserDefaults store(path);
        for (const auto& [k, v] : values)
            store.set(k, v);
        ASSERT_TRUE(store.lastWriteSucceeded());
    }
    JsonFileUserDefaults fresh(path);
    EXPECT_EQ(fresh.dictionaryRepresentation(), values);
    const std::string text = readAll(path);
    EXPECT_NE(text.find("\"whole\": 6000.0"), std::string::npos) << text;
    EXPECT_NE(text.find("\"d\": {\n        \"data\": \""), std::string::npos) << text;
}

TEST_F(JsonFileUserDefaultsTest, CreatesFolderAndPrivateFileOnlyOnFirstWrite) {
    JsonFileUserDefaults store(path);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    store.setBool("k", true);
    EXPECT_EQ(statOf(path).st_mode & 0777, 0600u);
    store.remove("k");
    EXPECT_EQ(JsonFileUserDefaults(path).dictionaryRepresentation(), Dictionary{});
}

TEST_F(JsonFileUserDefaultsTest, RewritingTheSameValueLeavesTheFileAlone) {
    JsonFileUserDefaults store(path);
    store.setValues({{"a", Value(1.5)}, {"b", Value(true)}});
    const ino_t first = statOf(path).st_ino; // each write renames a new file over the old one
    store.setValues({{"a", Value(1.5)}, {"b", Value(true)}});
    EXPECT_EQ(statOf(path).st_ino, first);
    store.setDouble("a", 2.5);
    EXPECT_NE(statOf(path).st_ino, first);
}

TEST_F(JsonFileUserDefaultsTest, ALinkedFileIsWrittenWhereItPointsEvenWhenTheTargetIsMissing) {
    QDir().mkpath(dir.path() + "/tintwell");
    for (const bool dangling : {false, true}) {
        const std::string real =
            (dir.path() + (dangling ? "/dotfiles/b/c.json" : "/dotfiles/a.json")).toStdString();
        if (!dangling)
            writeAll(real, "{}");
        QFile::remove(QString::fromStdString(path));
        ASSERT_EQ(::symlink(dangling ? "../dotfiles/b/c.json" : real.c_str(), path.c_str()), 0);
        JsonFileUserDefaults store(path);
        store.setBool("k", true);
        ASSERT_TRUE(store.lastWriteSucceeded()) << store.lastWriteError();
        EXPECT_TRUE(S_ISLNK(statOf(path).st_mode));
        EXPECT_EQ(JsonFileUserDefaults(real).object("k"), Value(true));
    }
}

TEST_F(JsonFileUserDefaultsTest, KeepsKeysAndShapesItDoesNotOwn) {
    writeAll(path, R"({"GlobalShortcuts_tintwell.togglePause": false, "SUEnableAutomaticChecks": true,
                      "note": [1, {"x": null}], "fake": {"data": "not base64!"},
                      "huge": [1e400, -1E+999, 1e-400, "1e400", 2]})");
    JsonFileUserDefaults store(path);
    EXPECT_EQ(store.object("note"), Value(ForeignValue{R"([1,{"x":null}])"}));
    // A number out of range spoils that value alone, not the file.
    EXPECT_EQ(store.object("huge"), Value(ForeignValue{R"([null,null,0.0,"1e400",2])"}));
    store.setDouble("tintwell.dayKelvin", 5000);
    const auto all = JsonFileUserDefaults(path).dictionaryRepresentation();
    EXPECT_EQ(all.at("GlobalShortcuts_tintwell.togglePause"), Value(false));
    EXPECT_EQ(all.at("SUEnableAutomaticChecks"), Value(true));
    EXPECT_EQ(all.at("note"), Value(ForeignValue{R"([1,{"x":null}])"}));
    EXPECT_EQ(all.at("fake"), Value(ForeignValue{R"({"data":"not base64!"})"}));
}

TEST_F(JsonFileUserDefaultsTest, UnreadableFileIsMovedAsideNeverOverwritten) {
    for (const std::string bad : {"{\"tintwell.dayKelvin\": 5000,", "[1, 2]", ""}) {
        SCOPED_TRACE(bad);
        QDir(dir.path()).removeRecursively();
        writeAll(path, bad);
        JsonFileUserDefaults store(path);
        ASSERT_TRUE(store.movedAsidePath());
        EXPECT_EQ(store.dictionaryRepresentation(), Dictionary{});
        EXPECT_EQ(readAll(*store.movedAsidePath()), bad);
        EXPECT_NE(store.movedAsidePath()->find("defaults.json.unreadable-"), std::string::npos);
        store.setBool("k", true);
        EXPECT_EQ(readAll(*store.movedAsidePath()), bad);
    }
    // A second bad file within the same second gets its own name.
    writeAll(path, "oops");
    JsonFileUserDefaults second(path);
    ASSERT_TRUE(second.movedAsidePath());
    EXPECT_EQ(readAll(*second.movedAsidePath()), "oops");
    EXPECT_EQ(entries(dir, "/tintwell").filter("unreadable").size(), 2);
}

TEST_F(JsonFileUserDefaultsTest, FileBrokenWhileOpenIsMovedAsideBeforeTheNextWrite) {
    JsonFileUserDefaults store(path);
    store.setInteger("a", 1);
    writeAll(path, "{ half an edit");
    store.setInteger("b", 2);
    ASSERT_TRUE(store.movedAsidePath());
    EXPECT_EQ(readAll(*store.movedAsidePath()), "{ half an edit");
    EXPECT_EQ(JsonFileUserDefaults(path).dictionaryRepresentation().size(), 2u);
}

TEST_F(JsonFileUserDefaultsTest, WriteInterruptedBeforeRenameLeavesPreviousFileAndNoTemporaryForLong) {
    JsonFileUserDefaults(path).setDouble("tintwell.dayKelvin", 5000);
    const std::string before = readAll(path);
    // The process dies with the complete temporary file on disk but before it replaces the old one.
    ASSERT_EQ(tintwell::test::inChild([&] {
                  JsonFileUserDefaults store(path);
                  store.setBeforeRenameHookForTesting([](const std::string&) { ::_exit(0); });
                  store.setDouble("tintwell.dayKelvin", 3000);
                  return 1;
              }),
              0);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(entries(dir, "/tintwell").size(), 3) << entries(dir, "/tintwell").join(' ').toStdString();
    JsonFileUserDefaults after(path);
    EXPECT_FALSE(after.movedAsidePath());
    EXPECT_EQ(after.object("tintwell.dayKelvin"), Value(5000.0));
    after.setDouble("tintwell.dayKelvin", 4000);
    EXPECT_EQ(JsonFileUserDefaults(path).object("tintwell.dayKelvin"), Value(4000.0));
    EXPECT_EQ(entries(dir, "/tintwell"), (QStringList{".defaults.json.lock", "defaults.json"}));
}

TEST_F(JsonFileUserDefaultsTest, AWriterChangesOnlyWhatItChangedNeverAnotherWritersNewerValue) {
    JsonFileUserDefaults stale(path);
    stale.setValues({{"x", Value(1.0)}, {"y", Value(1.0)}});
    JsonFileUserDefaults(path).setValues({{"y", Value(2.0)}, {"theirs", Value(true)}});
    // `stale` still holds y = 1 and writes every key it owns, as a settings save does.
    stale.setValues({{"x", Value(1.0)}, {"y", Value(1.0)}, {"z", Value(3.0)}});
    const auto all = JsonFileUserDefaults(path).dictionaryRepresentation();
    EXPECT_EQ(all.at("theirs"), Value(true));
    EXPECT_EQ(all.at("y"), Value(2.0));
    EXPECT_EQ(all.at("z"), Value(3.0));
    // Once it has read the newer value, its own change of it is written.
    EXPECT_TRUE(stale.reload());
    stale.setDouble("y", 1.0);
    EXPECT_EQ(JsonFileUserDefaults(path).object("y"), Value(1.0));
}

TEST_F(JsonFileUserDefaultsTest, DeepNestingIsUnreadableAndMovedAsideIntact) {
    for (const int depth : {JsonFileUserDefaults::maxDepth + 1, 5000, 100000}) {
        SCOPED_TRACE(depth);
        const std::string text = "{\"k\": " + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "}";
        writeAll(path, text);
        // In a child: at such depths a recursive reader or writer overflows the stack.
        const int status = tintwell::test::inChild([&] {
            JsonFileUserDefaults store(path);
            store.setBool("b", true);
            const bool intact = store.movedAsidePath() && readAll(*store.movedAsidePath()) == text;
            return intact && readAll(path).size() < 100 && store.dictionaryRepresentation().size() == 1 ? 0
                                                                                                        : 1;
        });
        EXPECT_EQ(status, 0);
    }
    writeAll(path, "{\"k\": " + std::string(30, '[') + std::string(30, ']') + "}");
    EXPECT_FALSE(JsonFileUserDefaults(path).movedAsidePath());
}

TEST_F(JsonFileUserDefaultsTest, ALockThatIsALinkIsRefusedNotFollowed) {
    QDir().mkpath(dir.path() + "/tintwell");
    const std::string elsewhere = dir.path().toStdString() + "/elsewhere";
    ASSERT_EQ(
        ::symlink(elsewhere.c_str(), (dir.path() + "/tintwell/.defaults.json.lock").toUtf8().constData()), 0);
    JsonFileUserDefaults store(path);
    store.setBool("b", true);
    EXPECT_FALSE(store.lastWriteSucceeded());
    EXPECT_NE(store.lastWriteError().find("symbolic link"), std::string::npos) << store.lastWriteError();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(elsewhere)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    // Another writer's file read back in keeps the value that could not be saved, until it is.
    writeAll(path, R"({"b": false, "c": 3})");
    EXPECT_TRUE(store.reload());
    EXPECT_EQ(store.object("b"), Value(true));
    EXPECT_EQ(store.object("c"), Value(std::int64_t(3)));
}
