// One ramp frame on one display: the table build, the resample to the CRTC's ramp, and the write on
// the test X server (scripts/test-session -- build/bench/ramp_frame_bench).

#include "core/color_temperature.h"
#include "platform/gamma_ramp.h"
#include "platform/x11/x11_display_services.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

using namespace tintwell;

namespace {

// Kelvin values a 6500 K to 3400 K ramp passes through, so each frame builds different tables.
double frameKelvin(std::int64_t i) {
    return 3400.0 + double(i % 64) * (3100.0 / 63.0);
}

void BM_BuildTables(benchmark::State& state) {
    std::int64_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(core::ColorTemperature::gammaRamp(frameKelvin(i++), 0.9, 1.1));
}
BENCHMARK(BM_BuildTables);

void BM_ResampleToCrtc(benchmark::State& state) {
    const auto tables = core::ColorTemperature::gammaRamp(3400, 0.9, 1.1);
    const int size = int(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::toHardwareRamps(tables, size));
    }
}
BENCHMARK(BM_ResampleToCrtc)->Arg(256)->Arg(1024)->Arg(4096);

void BM_RampFrameOnX11(benchmark::State& state) {
    QString error;
    auto displays = platform::X11DisplayServices::create({}, &error);
    if (!displays) {
        state.SkipWithError(("no test X server: " + error.toStdString()).c_str());
        return;
    }
    const auto ids = displays->onlineDisplays();
    if (ids.empty()) {
        state.SkipWithError("no display");
        return;
    }
    std::int64_t i = 0;
    for (auto _ : state)
        displays->setTransferTables(ids[0], core::ColorTemperature::gammaRamp(frameKelvin(i++), 0.9, 1.1));
    displays->restoreSystemCalibration();
}
BENCHMARK(BM_RampFrameOnX11)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
