// How the application asks for the user's location and what it does with a fix.

#include "app/app_delegate.h"
#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_location_services.h"
#include "scheduling/tick_loop.h"
#include "settings/app_state.h"
#include "support/event_loop.h"
#include "watchers/location_provider.h"

#include <gtest/gtest.h>

using namespace tintwell;
using platform::AuthorizationStatus;
using test::spinUntil;

namespace {

using namespace std::chrono_literals;

struct Launch {
    explicit Launch(AuthorizationStatus status, bool useAutoLocation = true) {
        test::application();
        settings::AppState(defaults).setUseAutoLocation(useAutoLocation);
        auto owned = std::make_unique<platform::VirtualLocationServices>(status);
        location = owned.get();
        app::AppServices services{&defaults, &displays, nullptr, {}, std::move(owned)};
        delegate.emplace(std::move(services), app::AppTiming{50ms, 50ms, 0ms});
        delegate->applicationDidFinishLaunching();
    }
    /// Lets queued deliveries run.
    static void settle() {
        spinUntil([] { return false; }, std::chrono::milliseconds(20));
    }

    settings::InMemoryUserDefaults defaults;
    platform::VirtualDisplayServices displays{1};
    platform::VirtualLocationServices* location = nullptr;
    std::optional<app::AppDelegate> delegate;
};

TEST(AppLocation, LaunchAndSwitchingOnAskOnlyWhenPermittedSwitchingOffCancels) {
    const struct {
        AuthorizationStatus status;
        bool useAutoLocation;
        int starts, startsOnceSwitchedOn;
    } cases[] = {{AuthorizationStatus::AuthorizedAlways, true, 1, 1},
                 {AuthorizationStatus::NotDetermined, true, 0, 0},
                 {AuthorizationStatus::Denied, true, 0, 0},
                 {AuthorizationStatus::AuthorizedAlways, false, 0, 1},
                 {AuthorizationStatus::NotDetermined, false, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.status) * 10 + c.useAutoLocation);
        Launch launch(c.status, c.useAutoLocation);
        EXPECT_EQ(launch.location->starts, c.starts);
        EXPECT_GE(launch.delegate->tickLoop()->tickCount(), 1);
        launch.delegate->appState()->setUseAutoLocation(true);
        Launch::settle();
        EXPECT_EQ(launch.location->starts, c.startsOnceSwitchedOn);
        EXPECT_EQ(launch.location->authorizationRequests, 0);
        EXPECT_EQ(launch.delegate->location()->isFetching(), c.startsOnceSwitchedOn == 1);
        launch.delegate->appState()->setUseAutoLocation(false); // cancels what it asked
        EXPECT_TRUE(spinUntil([&] { return !launch.delegate->location()->isFetching(); }));
        EXPECT_FALSE(launch.location->isUpdating());
    }
}

TEST(AppLocation, AFixIsStoredLatitudeFirstAndEvaluated) {
    Launch launch(AuthorizationStatus::AuthorizedAlways);
    settings::AppState* state = launch.delegate->appState();
    std::vector<std::string> order;
    QObject::connect(state, &settings::AppState::latitudeChanged, [&] { order.push_back("latitude"); });
    QObject::connect(state, &settings::AppState::longitudeChanged, [&] { order.push_back("longitude"); });
    Launch::settle();
    const int ticks = launch.delegate->tickLoop()->tickCount();

    launch.location->deliver({{35.65, 139.74, std::nullopt, platform::LocationSource::TimeZone, {}}});
    ASSERT_TRUE(spinUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"latitude", "longitude"}));
    EXPECT_GT(launch.delegate->tickLoop()->tickCount(), ticks); // at once, not only after the debounce
    const settings::AppState stored(launch.defaults);
    EXPECT_EQ(stored.latitude(), 35.65);
    EXPECT_EQ(stored.longitude(), 139.74);
}

} // namespace
