// The popup: from the click to the popup shown and painted, after the first opening (goal: 100 ms).
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "platform/virtual/virtual_display_services.h"
#include "settings/app_state.h"
#include "settings/user_defaults.h"
#include "ui/model/location_status.h"
#include "ui/tray/menu_bar_controller.h"
#include "ui/tray/popup_window.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

using namespace tintwell;

static void BM_ClickToPopupShown(benchmark::State& st) {
    settings::InMemoryUserDefaults defaults;
    platform::VirtualDisplayServices displays(static_cast<int>(st.range(0)));
    settings::AppState state(defaults);
    ui::LocationStatus location;
    ui::MenuBarController controller(state, nullptr, location, displays, {});
    controller.install();
    ui::PopupWindow* popup = controller.popup();
    controller.togglePopover(); // the first opening lays everything out once
    QCoreApplication::processEvents();
    popup->close();
    for (auto _ : st) {
        st.PauseTiming();
        popup->close();
        QCoreApplication::processEvents();
        st.ResumeTiming();
        popup->showAt({});
        popup->repaint();
        QCoreApplication::processEvents();
    }
    popup->close();
}
BENCHMARK(BM_ClickToPopupShown)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
