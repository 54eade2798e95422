#include "app/cli/oneshot_command.h"

#include "app/platform_backend.h"
#include "engine/gamma_controller.h"

#include <cmath>

namespace tintwell::app {
namespace {

bool shows(const core::TransferTables& got, const core::TransferTables& want) {
    // Within a quarter of an 8-bit step: any resampling and 16-bit rounding, but not another colour.
    const auto near = [](const core::TransferTable& a, const core::TransferTable& b) {
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!(std::abs(a[i] - b[i]) <= 0.25f / 255.0f))
                return false;
        return true;
    };
    return near(got.r, want.r) && near(got.g, want.g) && near(got.b, want.b);
}

/// Writes `decision` to every display with a ramp of its own, then reads back that each shows `want`.
int writeOnce(const Backend& backend, const core::Decision& decision, const core::TransferTables& want,
              std::ostream& err) {
    QString error;
    auto services = createPlatformServices(backend, {.keepTransferTablesOnExit = true}, &error);
    if (!services) {
        err << "tintwell: " << error.toStdString() << '\n';
        return 1;
    }
    if (services->backend == "wayland") {
        // The compositor gives each output its colours back when the program holding it goes.
        if (std::holds_alternative<core::Native>(decision))
            return 0;
        err << "tintwell: On Wayland a tint lasts only while its program runs, so --oneshot cannot leave "
               "one behind; run the application (with the manual override) instead.\n";
        return 1;
    }
    platform::DisplayServices& displays = *services->displays;
    std::unordered_map<platform::DisplayId, core::Decision> decisions;
    std::vector<platform::DisplayDescription> targets;
    for (platform::DisplayId id : displays.onlineDisplays()) {
        const auto d = displays.describe(id);
        // A mirror shares its source's ramp; a display without a ramp cannot be tinted.
        if (!d || d->mirrorOf || d->gammaSize <= 0)
            continue;
        decisions[id] = decision;
        targets.push_back(*d);
    }
    if (decisions.empty()) {
        err << "tintwell: No display with a gamma ramp was found.\n";
        return 1;
    }
    {
        // A first decision for a display is always written at once, so no ramp outlives this block.
        engine::GammaController controller(displays);
        controller.apply(decisions, 750, Seconds(0.3));
    }
    for (const auto& d : targets) {
        const auto got = displays.readTransferTables(d.id);
        // Ramps much smaller than the tables cannot hold them exactly; only larger ones are checked.
        if (d.gammaSize >= 256 && (!got || !shows(*got, want))) {
            err << "tintwell: Display " << d.id << " (" << d.name
                << ") did not take the new transfer tables.\n";
            return 1;
        }
    }
    return 0;
}

} // namespace

int runOneshot(const CommandLine& cl, std::ostream& err) {
    return writeOnce(
        cl.backend, cl.oneshot,
        core::ColorTemperature::gammaRamp(cl.oneshot.kelvin, cl.oneshot.brightness, cl.oneshot.gamma), err);
}

int runReset(const CommandLine& cl, std::ostream& err) {
    const core::TransferTable identity = core::ColorTemperature::identityTable();
    return writeOnce(cl.backend, core::Native{}, {identity, identity, identity}, err);
}

} // namespace tintwell::app
