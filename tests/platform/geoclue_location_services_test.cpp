// The GeoClue client, driven through the location provider, against a fake GeoClue on a private
// bus. Without GeoClue the time zone stands in: the locate command and the whole-session test run that.

#include "platform/linux/geoclue_location_services.h"
#include "support/event_loop.h"
#include "support/private_bus.h"
#include "watchers/location_provider.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;
using platform::AuthorizationStatus;
using test::spinUntil;
using watchers::FetchError;
using watchers::LocationProvider;

namespace {

class GeoClueTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        ASSERT_FALSE(daemon_.address().isEmpty()) << "dbus-daemon is missing";
        bus_.emplace(daemon_.connect("application"));
        ASSERT_TRUE(bus_->isConnected());
    }
    void TearDown() override {
        provider_.reset();
        services_.reset();
        bus_.reset();
        QDBusConnection::disconnectFromBus("application");
        fake_.kill();
        fake_.waitForFinished(5000);
    }

    void serve(const QStringList& arguments) {
        calls_.clear();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", daemon_.address());
        fake_.setProcessEnvironment(env);
        fake_.start(FAKE_GEOCLUE, arguments);
        ASSERT_TRUE(spinUntil([&] { return calls().contains("ready"); }))
            << fake_.readAllStandardError().data();
    }
    /// The lines the fake printed so far.
    QStringList calls() {
        while (fake_.canReadLine())
            calls_ << QString::fromUtf8(fake_.readLine()).trimmed();
        return calls_;
    }
    LocationProvider& provideGeoClue() {
        services_.emplace(*bus_);
        provider_.emplace(*services_, [this](double lat, double lon) { fixes.emplace_back(lat, lon); });
        return *provider_;
    }

    std::vector<std::pair<double, double>> fixes;
    std::optional<QDBusConnection> bus_;
    QProcess fake_;
    std::optional<platform::GeoClueLocationServices> services_;

private:
    test::PrivateBus daemon_;
    QStringList calls_;
    std::optional<LocationProvider> provider_;
};

TEST_F(GeoClueTest, AFixComesFromANamedCityLevelClientThatIsStoppedAfterwards) {
    serve({"fix", "52.52", "13.40"});
    LocationProvider& provider = provideGeoClue();
    provider.requestOnce();
    ASSERT_TRUE(spinUntil([&] { return !fixes.empty(); }));
    EXPECT_EQ(fixes, (std::vector<std::pair<double, double>>{{52.52, 13.40}}));
    EXPECT_EQ(provider.lastFixSource(), platform::LocationSource::GeoClue);
    EXPECT_EQ(provider.lastFix()->accuracyMeters, 5000.0);
    ASSERT_TRUE(spinUntil([&] { return calls().contains("Stop"); }));
    EXPECT_EQ(calls(), (QStringList{"ready", "DesktopId=org.tintwell.Tintwell", "RequestedAccuracyLevel=4",
                                    "Start", "Stop"}));
}

TEST_F(GeoClueTest, RefusalsAVanishedServiceAndSilenceEndTheRequest) {
    const struct {
        const char* mode;
        std::optional<AuthorizationStatus> refusal; // a refusal is the authorisation status, no error
        std::optional<FetchError> error;
    } cases[] = {
        {"deny", AuthorizationStatus::Denied, std::nullopt},
        {"restricted", AuthorizationStatus::Restricted, std::nullopt}, // switched off in GeoClue's settings
        {"vanish", std::nullopt, watchers::FetchFatal{"GeoClue stopped before it found a location."}},
        {"silent", std::nullopt, watchers::FetchTimedOut{}},
        {"fix nan 13.4", std::nullopt,
         watchers::FetchFatal{"GeoClue gave a location off the globe (nan, 13.4)."}},
        {"fix 0 -180.5", std::nullopt,
         watchers::FetchFatal{"GeoClue gave a location off the globe (0, -180.5)."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        TearDown();
        SetUp();
        serve(QString(c.mode).split(' '));
        LocationProvider& provider = provideGeoClue();
        provider.setPendingTimeout(300ms);
        provider.requestOnce();
        ASSERT_TRUE(spinUntil([&] { return !provider.isFetching(); }));
        EXPECT_EQ(provider.lastError(), c.error);
        EXPECT_TRUE(fixes.empty()) << "the place stays as it was";
        EXPECT_EQ(provider.isDenied(), c.refusal.has_value());
        EXPECT_EQ(provider.authorizationStatus(), c.refusal.value_or(provider.authorizationStatus()));
        // A request that timed out stops the client all the same.
        EXPECT_TRUE(c.error != FetchError{watchers::FetchTimedOut{}} ||
                    spinUntil([&] { return calls().contains("Stop"); }));
    }
}

TEST_F(GeoClueTest, ARefusalHoldsUntilAskedAgainAndALaterGrantIsNoticed) {
    serve({"deny"});
    LocationProvider& provider = provideGeoClue();
    provider.requestOnce();
    ASSERT_TRUE(spinUntil([&] { return provider.isDenied(); }));
    fake_.kill(); // the user allowed it meanwhile
    fake_.waitForFinished(5000);
    serve({"fix", "52.52", "13.40"});
    services_->requestWhenInUseAuthorization();
    provider.requestOnce();
    EXPECT_FALSE(provider.isDenied()) << "the banner goes as the request starts";
    EXPECT_TRUE(spinUntil([&] { return !fixes.empty(); }));
}

} // namespace
