// What one settings assignment costs when it reaches the disk: the store rewrites its file
// atomically (temporary file, fsync, rename) on every assignment, on the main thread.
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tintwell::settings;

static void BM_ScalarAssignmentToFile(benchmark::State& st) {
    QTemporaryDir dir;
    JsonFileUserDefaults defaults((dir.path() + "/tintwell/defaults.json").toStdString());
    AppState state(defaults);
    for (int i = 0; i < st.range(0); ++i)
        state.saveCurrentAsProfile("Profile " + std::to_string(i));
    double v = 3000;
    for (auto _ : st)
        state.setNightKelvin(v += 1);
}
BENCHMARK(BM_ScalarAssignmentToFile)->Arg(0)->Arg(50)->Unit(benchmark::kMicrosecond);

static void BM_LoadFromFile(benchmark::State& st) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/tintwell/defaults.json").toStdString();
    {
        JsonFileUserDefaults defaults(path);
        AppState state(defaults);
        for (int i = 0; i < 50; ++i)
            state.saveCurrentAsProfile("Profile " + std::to_string(i));
    }
    for (auto _ : st) {
        JsonFileUserDefaults defaults(path);
        AppState state(defaults);
        benchmark::DoNotOptimize(state.profiles().size());
    }
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
