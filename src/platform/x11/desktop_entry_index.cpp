#include "platform/x11/desktop_entry_index.h"

#include "platform/desktop_entry_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

namespace tintwell::platform {
namespace fs = std::filesystem;

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::optional<fs::file_time_type> modificationTime(const fs::path& dir) {
    std::error_code ec;
    const auto t = fs::last_write_time(dir, ec);
    if (ec)
        return std::nullopt;
    return t;
}

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

/// Ranks an icon theme's size folder: raster icons by size, then scalable ones, which need an SVG
/// reader that may be missing.
int sizeRank(const std::string& sizeDir, const fs::path& file) {
    if (file.extension() == ".svg")
        return 1;
    return 2 + std::atoi(sizeDir.c_str());
}

const char* const kIconExtensions[] = {".png", ".svg", ".xpm"};

} // namespace

DesktopEntryIndex::Environment DesktopEntryIndex::environment() {
    Environment e;
    e.dataDirs = desktopDataDirs();
    e.localeSuffixes = userLocaleSuffixes();
    if (const char* home = std::getenv("HOME"); home && *home)
        e.iconDirs.emplace_back(std::string(home) + "/.icons");
    return e;
}

DesktopEntryIndex::DesktopEntryIndex(Environment env) : env_(std::move(env)) {}

void DesktopEntryIndex::scanIfStale() {
    std::vector<std::optional<fs::file_time_type>> times;
    for (const auto& dir : env_.dataDirs)
        times.push_back(modificationTime(dir / "applications"));
    if (scanned_ && times == scannedTimes_)
        return;
    scanned_ = true;
    scannedTimes_ = std::move(times);
    entries_.clear();
    cache_.clear();

    // The first data folder holding a desktop file id wins; later ones are shadowed.
    std::set<std::string> seen;
    for (const auto& dir : env_.dataDirs) {
        const fs::path apps = dir / "applications";
        std::error_code ec;
        std::vector<fs::path> files;
        for (fs::recursive_directory_iterator it(apps, fs::directory_options::skip_permission_denied, ec),
             end;
             !ec && it != end; it.increment(ec)) {
            if (it->path().extension() == ".desktop" && isFile(it->path()))
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::string id = fs::relative(file, apps, ec).replace_extension().generic_string();
            if (ec)
                continue;
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seen.insert(id).second)
                continue;
            if (auto entry = parse(file)) {
                entry->fileId = id;
                entries_.push_back(std::move(*entry));
            }
        }
    }
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::parse(const fs::path& file) const {
    const auto group = readDesktopEntryGroup(file);
    const auto value = [&](const char* key) {
        const auto it = group->find(key);
        return it == group->end() ? std::string() : it->second;
    };
    // Hidden means "deleted" in the desktop entry rules.
    if (!group || value("Type") != "Application" || value("Hidden") == "true" || !group->contains("Name"))
        return std::nullopt;
    Entry e;
    e.startupWmClass = value("StartupWMClass");
    e.icon = value("Icon");
    e.name = localisedValue(*group, "Name", env_.localeSuffixes);
    return e;
}

DesktopApplicationInfo DesktopEntryIndex::describe(const Entry& e) const {
    return {e.name, e.icon, findIcon(e.icon)};
}

std::string DesktopEntryIndex::findIcon(const std::string& icon) const {
    if (icon.empty())
        return {};
    const fs::path asPath(icon);
    if (asPath.is_absolute())
        return isFile(asPath) ? icon : std::string();
    if (icon.find('/') != std::string::npos)
        return {};

    std::vector<std::string> fileNames;
    const std::string ext = asPath.extension().string();
    if (ext == ".png" || ext == ".svg" || ext == ".xpm")
        fileNames.push_back(icon);
    else
        for (const char* e : kIconExtensions)
            fileNames.push_back(icon + e);

    std::vector<fs::path> bases = env_.iconDirs;
    for (const auto& dir : env_.dataDirs)
        bases.push_back(dir / "icons");
    std::vector<std::string> themes = env_.iconThemes;
    themes.erase(std::remove(themes.begin(), themes.end(), "hicolor"), themes.end());
    themes.push_back("hicolor");

    for (const auto& theme : themes) {
        fs::path best;
        int bestRank = 0;
        for (const auto& base : bases) {
            std::error_code ec;
            // <theme>/<size>/<context>/<name>.<ext>
            for (fs::directory_iterator size(base / theme, ec), end; !ec && size != end; size.increment(ec)) {
                std::error_code ec2;
                for (fs::directory_iterator context(size->path(), ec2), end2; !ec2 && context != end2;
                     context.increment(ec2)) {
                    for (const auto& name : fileNames) {
                        const fs::path candidate = context->path() / name;
                        if (!isFile(candidate))
                            continue;
                        const int rank = sizeRank(size->path().filename().string(), candidate);
                        if (rank > bestRank) {
                            bestRank = rank;
                            best = candidate;
                        }
                    }
                }
            }
        }
        if (bestRank > 0)
            return best.string();
    }
    for (const auto& dir : env_.dataDirs)
        for (const auto& name : fileNames)
            if (isFile(dir / "pixmaps" / name))
                return (dir / "pixmaps" / name).string();
    return {};
}

std::optional<DesktopApplicationInfo> DesktopEntryIndex::lookup(const std::string& windowClass) {
    if (windowClass.empty())
        return std::nullopt;
    scanIfStale();
    if (const auto it = cache_.find(windowClass); it != cache_.end())
        return it->second;

    const auto first = [this](auto matches) -> const Entry* {
        const auto it = std::find_if(entries_.begin(), entries_.end(), matches);
        return it == entries_.end() ? nullptr : &*it;
    };
    const Entry* match = first([&](const Entry& e) { return e.startupWmClass == windowClass; });
    if (!match)
        match = first([&](const Entry& e) { return e.fileId == windowClass; });
    if (!match)
        match = first([&](const Entry& e) { return equalsIgnoringCase(e.fileId, windowClass); });

    std::optional<DesktopApplicationInfo> result;
    if (match)
        result = describe(*match);
    cache_[windowClass] = result;
    return result;
}

} // namespace tintwell::platform
