#include "platform/virtual/virtual_location_services.h"
#include "support/event_loop.h"
#include "watchers/location_provider.h"

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;
using platform::AuthorizationStatus;
using platform::Location;
using platform::LocationError;
using test::spinUntil;
using watchers::FetchError;
using watchers::LocationProvider;

namespace {

Location at(double latitude, double longitude) {
    return {latitude, longitude, 1000.0, platform::LocationSource::GeoClue, {}};
}

const LocationError locationUnknown{LocationError::Kind::Transient, "No location source has a fix yet."};

struct LocationRequest : ::testing::Test {
    LocationRequest() { test::application(); }

    /// Lets queued deliveries reach the provider.
    static void settle() {
        spinUntil([] { return false; }, 20ms);
    }

    platform::VirtualLocationServices services{AuthorizationStatus::AuthorizedAlways};
    std::vector<std::pair<double, double>> fixes;
    LocationProvider provider{services, [this](double lat, double lon) { fixes.emplace_back(lat, lon); }};
};

TEST_F(LocationRequest, AFixEndsTheRequestWithTheLastLocationOfTheList) {
    bool fixSeenWhenDone = false;
    QObject::connect(&provider, &LocationProvider::isFetchingChanged,
                     [&](bool fetching) { fixSeenWhenDone = !fetching && provider.lastFixAt().has_value(); });
    provider.requestOnce();
    services.fail(locationUnknown); // transient: the request stays alive
    settle();
    EXPECT_TRUE(provider.isFetching());
    EXPECT_TRUE(services.isUpdating());
    services.deliver({at(1, 2), at(52.5, 13.37)});
    ASSERT_TRUE(spinUntil([&] { return !fixes.empty(); }));
    EXPECT_EQ(fixes, (std::vector<std::pair<double, double>>{{52.5, 13.37}}));
    EXPECT_FALSE(provider.isFetching() || services.isUpdating() || provider.lastError());
    EXPECT_EQ(provider.lastFixSource(), platform::LocationSource::GeoClue);
    EXPECT_TRUE(fixSeenWhenDone); // the whole outcome is stored before it is announced
}

TEST_F(LocationRequest, ATransientFailureWithNothingAfterItTimesOutAndALaterFixIsIgnored) {
    provider.setPendingTimeout(50ms);
    provider.requestOnce();
    services.fail(locationUnknown);
    ASSERT_TRUE(spinUntil([&] { return !provider.isFetching(); }));
    EXPECT_EQ(provider.lastError(), FetchError{watchers::FetchTimedOut{}});
    services.deliver({at(52.5, 13.37)});
    settle();
    EXPECT_TRUE(fixes.empty() && !provider.lastFixAt());
}

TEST_F(LocationRequest, AnyOtherFailureEndsTheRequestWithItsDescription) {
    provider.requestOnce();
    services.fail({LocationError::Kind::Failed, "GeoClue stopped."});
    ASSERT_TRUE(spinUntil([&] { return !provider.isFetching(); }));
    EXPECT_EQ(provider.lastError(), FetchError{watchers::FetchFatal{"GeoClue stopped."}});
    EXPECT_FALSE(services.isUpdating());
    // The next request starts clean.
    provider.requestOnce();
    EXPECT_FALSE(provider.lastError().has_value());
}

TEST(LocationProvider, ARequestWhileDeniedEndsAtOnceWithoutAnError) {
    test::application();
    for (const auto status : {AuthorizationStatus::Denied, AuthorizationStatus::Restricted}) {
        platform::VirtualLocationServices services(status);
        LocationProvider provider(services, {});
        EXPECT_TRUE(provider.isDenied());
        provider.requestOnce();
        EXPECT_FALSE(provider.isFetching() || provider.lastError());
        EXPECT_EQ(services.starts, 0);
    }
}

TEST(LocationProvider, AnUndecidedStatusAsksAndStartsOnlyOnceGranted) {
    test::application();
    platform::VirtualLocationServices services;
    LocationProvider provider(services, {});
    provider.requestOnce();
    EXPECT_EQ(services.authorizationRequests, 1);
    EXPECT_EQ(services.starts, 0);
    EXPECT_TRUE(provider.isFetching());

    services.changeAuthorization(AuthorizationStatus::AuthorizedWhenInUse);
    ASSERT_TRUE(spinUntil([&] { return services.starts == 1; }));
    EXPECT_EQ(provider.authorizationStatus(), AuthorizationStatus::AuthorizedWhenInUse);

    services.changeAuthorization(AuthorizationStatus::Denied);
    ASSERT_TRUE(spinUntil([&] { return provider.isDenied(); }));
    EXPECT_FALSE(provider.isFetching() || provider.lastError());
}

TEST_F(LocationRequest, CancelStopsOnlyAPendingRequest) {
    provider.cancel();
    EXPECT_EQ(services.stops, 0);
    provider.requestOnce();
    provider.cancel();
    EXPECT_EQ(services.stops, 1);
    services.deliver({at(1, 2)});
    settle();
    EXPECT_TRUE(fixes.empty());
}

TEST(LocationProvider, AFixQueuedForAProviderThatIsGoneIsDropped) {
    test::application();
    platform::VirtualLocationServices services(AuthorizationStatus::AuthorizedAlways);
    int calls = 0;
    {
        LocationProvider provider(services, [&](double, double) { ++calls; });
        provider.requestOnce();
        services.deliver({at(1, 2)});
    }
    EXPECT_EQ(services.delegate(), nullptr);
    LocationRequest::settle();
    EXPECT_EQ(calls, 0);
}

} // namespace
