#include "platform/desktop_entry_file.h"
#include "platform/x11/desktop_entry_index.h"

#include <fstream>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tintwell::platform {
namespace {
namespace fs = std::filesystem;

class TempTree {
public:
    fs::path path(const std::string& rel) const { return fs::path(dir_.path().toStdString()) / rel; }
    fs::path write(const std::string& rel, const std::string& text = "x") const {
        const fs::path p = path(rel);
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
        return p;
    }

private:
    QTemporaryDir dir_;
};

const auto entry = [](const std::string& body) { return "[Desktop Entry]\nType=Application\n" + body; };

TEST(DesktopEntryIndex, LocaleSuffixesBestFirst) {
    const struct {
        const char* locale;
        std::vector<std::string> expected;
    } cases[] = {
        {"de_CH.UTF-8@euro", {"de_CH@euro", "de_CH", "de@euro", "de"}},
        {"fr_FR.UTF-8", {"fr_FR", "fr"}},
        {"sr@latin", {"sr@latin", "sr"}},
        {"C.UTF-8", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(localeSuffixes(c.locale), c.expected) << c.locale;
}

TEST(DesktopEntryIndex, MatchesByWindowClassThenFileId) {
    TempTree t;
    t.write("home/applications/editor.desktop",
            entry("Name=Editor\nName[de]=Bearbeiter\nName[de_CH]=Editorli\n"
                  "StartupWMClass=EditorMain\nIcon=editor\n"));
    t.write("home/applications/org.example.Viewer.desktop", entry("Name=Viewer\n"));
    t.write("home/applications/sub/tool.desktop", entry("Name=Tool \\s\\\\ Kit\n"));
    t.write("home/applications/gone.desktop", entry("Name=Gone\nHidden=true\n"));
    t.write("home/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\n");
    t.write("home/applications/player.desktop", entry("Name=Player (user)\n"));
    t.write("system/applications/player.desktop", entry("Name=Player (system)\nName[fr]=Lecteur\n"));
    t.write("system/applications/EditorMain.desktop", entry("Name=Shadowed by StartupWMClass\n"));
    t.write("home/applications/latin1.desktop", entry("Name=Caf\xe9\n"));
    t.write("home/applications/huge.desktop", entry("Name=Huge\n#" + std::string(64 * 1024, 'x') + "\n"));

    const struct {
        const char* windowClass;
        std::vector<std::string> locale;
        std::optional<std::string> name;
    } cases[] = {
        {"EditorMain", {}, "Editor"},
        {"EditorMain", {"de_CH", "de"}, "Editorli"},
        {"EditorMain", {"de_AT", "de"}, "Bearbeiter"},
        {"editor", {}, "Editor"},
        {"Org.example.Viewer", {}, "Viewer"},
        {"sub-tool", {}, "Tool  \\ Kit"},
        {"player", {"fr"}, "Player (user)"}, // the user's folder shadows the system's
        {"gone", {}, std::nullopt},
        {"latin1", {}, "Caf\uFFFD"}, // not UTF-8: the byte is replaced
        {"huge", {}, std::nullopt},  // too big to be a desktop entry: not read
        {"link", {}, std::nullopt},
        {"", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        DesktopEntryIndex index({{t.path("home"), t.path("system")}, c.locale, {}, {}});
        const auto info = index.lookup(c.windowClass);
        EXPECT_EQ(info ? std::optional(info->name) : std::nullopt, c.name) << c.windowClass;
    }
}

TEST(DesktopEntryIndex, FindsIconsThroughTheTheme) {
    TempTree t;
    t.write("share/icons/hicolor/16x16/apps/raster.png");
    const auto large = t.write("share/icons/hicolor/128x128/apps/raster.png");
    t.write("share/icons/hicolor/scalable/apps/raster.svg");
    const auto svg = t.write("share/icons/hicolor/scalable/apps/vector.svg");
    const auto themed = t.write("user-icons/Mine/48x48/apps/raster.png");
    const auto pixmap = t.write("share/pixmaps/old.xpm");
    const auto absolute = t.write("elsewhere/app.png");
    const struct {
        std::string icon;
        std::vector<std::string> themes;
        std::string expected;
    } cases[] = {
        {"raster", {}, large.string()},
        {"raster", {"Mine"}, themed.string()},
        {"vector", {}, svg.string()},
        {"old", {}, pixmap.string()},
        {absolute.string(), {}, absolute.string()},
        {"missing", {}, ""},
    };
    for (const auto& c : cases) {
        TempTree apps;
        apps.write("applications/app.desktop", entry("Name=App\nIcon=" + c.icon + "\n"));
        DesktopEntryIndex index({{apps.path(""), t.path("share")}, {}, {t.path("user-icons")}, c.themes});
        const auto info = index.lookup("app");
        ASSERT_TRUE(info);
        EXPECT_EQ(info->iconName, c.icon);
        EXPECT_EQ(info->iconPath, c.expected) << c.icon;
    }
}

} // namespace
} // namespace tintwell::platform
