// The start of the application with a large settings file: 10,000 profiles and 1,000 exception
// rules (goal: under a second, under 60 MB resident). Times reading the file and building every
// model and the popup's screens (offscreen), as a launch does; the counters give the resident
// memory after the first start and at its peak.
#include "app/app_delegate.h"
#include "core/record_json.h"
#include "platform/virtual/virtual_display_services.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"

#include <fstream>
#include <optional>
#include <string>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tintwell;

namespace {

/// Kibibytes of one line of /proc/self/status ("VmRSS", "VmHWM").
double statusKiB(const std::string& field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(field + ":"))
            return std::stod(line.substr(field.size() + 1));
    return 0;
}

/// Writes a settings file as the application keeps it, with `profiles` profiles and `rules` rules.
void writeLargeSettings(const std::string& path, int profiles, int rules) {
    std::vector<core::Profile> list;
    for (int i = 0; i < profiles; ++i) {
        core::Profile p;
        p.id = core::Uuid::random();
        p.name = "Profile " + std::to_string(i);
        p.nightKelvin = 2000 + i % 3000;
        list.push_back(std::move(p));
    }
    std::vector<core::AppExceptionRule> exceptions;
    for (int i = 0; i < rules; ++i)
        exceptions.push_back({"org.example.App" + std::to_string(i), "Application " + std::to_string(i),
                              core::ForceKelvin{4000}, i % 2 == 0});
    settings::JsonFileUserDefaults defaults(path);
    defaults.setValues(
        {{settings::keys::profiles, settings::Data{nlohmann::json(list).dump()}},
         {settings::keys::activeProfileId, list.empty() ? std::string() : list[0].id.toString()},
         {settings::keys::appExceptions, settings::Data{nlohmann::json(exceptions).dump()}},
         {"tintwell.updateConsent", std::string("declined")}});
}

void BM_StartWithLargeSettings(benchmark::State& st) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/defaults.json").toStdString();
    writeLargeSettings(path, int(st.range(0)), int(st.range(1)));
    platform::VirtualDisplayServices displays(2);
    double afterFirstStart = 0;
    for (auto _ : st) {
        settings::JsonFileUserDefaults defaults(path);
        app::AppServices services;
        services.defaults = &defaults;
        services.displays = &displays;
        services.userInterface = true;
        std::optional<app::AppDelegate> delegate(std::in_place, std::move(services));
        delegate->applicationDidFinishLaunching();
        QCoreApplication::processEvents();
        if (delegate->appState()->profiles().size() != std::size_t(st.range(0))) {
            st.SkipWithError("the settings file was not read whole");
            break;
        }
        if (afterFirstStart == 0)
            afterFirstStart = statusKiB("VmRSS");
        st.PauseTiming();
        delegate.reset();
        QCoreApplication::processEvents();
        st.ResumeTiming();
    }
    st.counters["rss_MiB"] = afterFirstStart / 1024;
    st.counters["peak_rss_MiB"] = statusKiB("VmHWM") / 1024;
}
// Each size in a process of its own gives a peak of its own: --benchmark_filter=…/10000/1000.
BENCHMARK(BM_StartWithLargeSettings)
    ->Args({10000, 1000})
    ->Args({1000, 100})
    ->Args({60000, 1000}) // a 15 MB file, near the store's 16 MB limit
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
