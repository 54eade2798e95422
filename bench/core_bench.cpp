// The pure core's hot paths: one sun position, one set of transfer tables, one scheduling decision
// for four displays, and the two-day minute-by-minute scan the settings view uses to find sunrise.
#include "core/color_temperature.h"
#include "core/scheduler_core.h"
#include "core/solar_engine.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tintwell;

const Instant kStart = instantFromSecondsSinceEpoch(1718971200); // 2024-06-21 12:00 UTC

void BM_position(benchmark::State& state) {
    double seconds = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(core::SolarEngine::position(51.5, -0.1, kStart + Seconds(seconds)));
        seconds += 61;
    }
}
BENCHMARK(BM_position);

void BM_gammaRamp(benchmark::State& state) {
    double kelvin = 3400;
    for (auto _ : state) {
        benchmark::DoNotOptimize(core::ColorTemperature::gammaRamp(kelvin, 0.9, 1.1));
        kelvin = kelvin > 6000 ? 3400 : kelvin + 7;
    }
}
BENCHMARK(BM_gammaRamp);

void BM_decideFourDisplays(benchmark::State& state) {
    core::SchedulerCore::Input input;
    input.now = kStart;
    input.latitude = 51.5;
    input.longitude = -0.1;
    input.onlineDisplays = {1, 2, 3, 4};
    input.perDisplaySettings[3] = {6000, 2700, 8, 0.8, 1, 4000};
    input.activeOverride = core::AppExceptionRule{"mpv", "mpv", core::ForceKelvin{4500}, true};
    input.activeOverrideDisplays = {2};
    for (auto _ : state) {
        benchmark::DoNotOptimize(core::SchedulerCore::decide(input));
        input.now += Seconds(1);
    }
}
BENCHMARK(BM_decideFourDisplays);

void BM_nextSunriseScan48h(benchmark::State& state) {
    for (auto _ : state) {
        double previous = core::SolarEngine::position(51.5, -0.1, kStart).altitude;
        Instant sunrise = kStart;
        for (int minute = 1; minute <= 2880; ++minute) {
            const Instant t = kStart + Seconds(minute * 60.0);
            const double altitude = core::SolarEngine::position(51.5, -0.1, t).altitude;
            if (previous < 0 && altitude >= 0 && sunrise == kStart)
                sunrise = t;
            previous = altitude;
        }
        benchmark::DoNotOptimize(sunrise);
    }
}
BENCHMARK(BM_nextSunriseScan48h)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
