// The delegate's timing promises on virtual displays: a burst of settings costs one evaluation after
// the burst, and a declined consent reaches the updater on the next pass of the event loop.

#include "app/app_delegate.h"
#include "app/appcast_updater.h"
#include "app/updater.h"
#include "platform/virtual/virtual_display_services.h"
#include "scheduling/tick_loop.h"
#include "settings/app_state.h"
#include "support/event_loop.h"

#include <chrono>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;
using test::spinUntil;

namespace {

struct FakeUpdater final : app::Updater {
    bool automatic = false;
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic = on; }
    void checkForUpdates() override {}
    void setPresenter(app::UpdatePresenter*) override {}
};

struct Launched {
    explicit Launched(settings::InMemoryUserDefaults& defaults) {
        test::application();
        app::AppServices services;
        services.defaults = &defaults;
        services.displays = &displays;
        services.makeUpdater = [this](app::UpdateChannelDelegate&, settings::UserDefaults& d) {
            auto made = std::make_unique<FakeUpdater>();
            made->automatic = std::get<bool>(*d.object(app::updaterKeys::enableAutomaticChecks));
            updater = made.get();
            return made;
        };
        delegate.emplace(std::move(services)); // the real 100 ms settings debounce
        delegate->applicationDidFinishLaunching();
        // Launch and wiring ticks, then quiet.
        spinUntil([] { return false; }, 250ms);
    }
    int ticks() const { return delegate->tickLoop()->tickCount(); }

    platform::VirtualDisplayServices displays{1};
    FakeUpdater* updater = nullptr;
    std::optional<app::AppDelegate> delegate;
};

TEST(AppDelegateWiring, TenChangesFiftyMillisecondsApartCostOneTickAHundredAfterTheLast) {
    settings::InMemoryUserDefaults defaults;
    Launched l(defaults);
    const int before = l.ticks();
    QElapsedTimer sinceLast;
    std::chrono::milliseconds longestGap{0};
    for (int i = 0; i < 10; ++i) {
        if (i > 0) {
            spinUntil([] { return false; }, 50ms);
            longestGap = std::max(longestGap, std::chrono::milliseconds(sinceLast.elapsed()));
        }
        l.delegate->appState()->setDayKelvin(6000 + 10 * i);
        sinceLast.start();
        EXPECT_EQ(l.ticks(), before) << "change " << i;
    }
    if (longestGap >= 100ms)
        GTEST_SKIP() << "the machine was too slow to keep the changes within the debounce";
    ASSERT_TRUE(spinUntil([&] { return l.ticks() > before; }, 1s));
    // Qt's coarse timers may fire up to 5 % early: 95 ms is still "after the debounce", not during it.
    EXPECT_GE(sinceLast.elapsed(), 95);
    EXPECT_FALSE(spinUntil([&] { return l.ticks() > before + 1; }, 250ms));
}

TEST(AppDelegateWiring, DecliningTurnsAutomaticChecksOffWithinOnePassAndStaysOffOnRestart) {
    settings::InMemoryUserDefaults defaults;
    defaults.setString(settings::keys::updateConsent, "allowed");
    Launched l(defaults);
    ASSERT_TRUE(l.updater->automatic);
    l.delegate->appState()->setUpdateConsent(settings::UpdateConsent::Declined);
    QCoreApplication::processEvents();
    EXPECT_FALSE(l.updater->automatic);

    l.delegate.reset();
    Launched again(defaults);
    EXPECT_FALSE(again.updater->automatic); // started with the switch written off
}

} // namespace
