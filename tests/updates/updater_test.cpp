#include "app/app_delegate.h"
#include "platform/virtual/virtual_display_services.h"
#include "settings/app_state.h"
#include "settings/user_defaults.h"
#include "support/event_loop.h"
#include "support/local_http_server.h"
#include "updates/appcast_updater.h"
#include "updates/update_channel_delegate.h"
#include "updates/update_presenter.h"
#include "updates/updater.h"

#include <gtest/gtest.h>

namespace tintwell::updates {

using namespace tintwell::app;
namespace {

using namespace std::chrono_literals;

const QByteArray kFeed = R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><title>old</title><sparkle:version>0.0.9</sparkle:version></item>
<item><title>beta</title><sparkle:version>9.1</sparkle:version><sparkle:channel>beta</sparkle:channel>
  <link>https://tintwell.example/9.1</link></item>
<item><title>stable</title><sparkle:version>9.0</sparkle:version><link>https://tintwell.example/9.0</link>
  <sparkle:releaseNotesLink>https://tintwell.example/9.0/notes</sparkle:releaseNotesLink></item>
</channel></rss>)";

/// Records the answers as text.
struct RecordingPresenter final : UpdatePresenter {
    std::vector<std::string> answers, notifications;
    void showAvailable(const AppcastItem& item, const std::string& current) override {
        answers.push_back(availableText(item, current).toStdString());
    }
    void showUpToDate() override { answers.push_back(upToDateText().toStdString()); }
    void showError(const QString& reason) override { answers.push_back(errorText(reason).toStdString()); }
    void showNoFeed() override { answers.push_back(noFeedText().toStdString()); }
    void notifyAvailable(const AppcastItem& item, const std::string& current) override {
        notifications.push_back(availableText(item, current).toStdString());
    }
};

const Instant kNow = instantFromSecondsSinceEpoch(1'800'000'000);

struct Fixture {
    explicit Fixture(std::string currentVersion = "1.0") : channels(std::move(currentVersion)) {}

    test::LocalHttpServer server;
    UpdateChannelDelegate channels;
    settings::InMemoryUserDefaults defaults;
    std::shared_ptr<scheduling::FakeClock> clock = std::make_shared<scheduling::FakeClock>(kNow);
    RecordingPresenter presenter;
    std::unique_ptr<AppcastUpdater> updater;

    void start(const QString& feed, UpdaterTiming timing = {0s, 0s, {2000ms, 1 << 20}}) {
        updater = std::make_unique<AppcastUpdater>(feed, channels, defaults, clock, timing);
        updater->setPresenter(&presenter);
    }
    /// One manual check; the presenter's answer.
    std::string check(const QString& feed) {
        if (!updater)
            start(feed);
        const std::size_t before = presenter.answers.size();
        updater->checkForUpdates();
        EXPECT_TRUE(test::spinUntil([&] { return presenter.answers.size() > before; }, 10s));
        return presenter.answers.empty() ? "" : presenter.answers.back();
    }
};

TEST(UpdaterTest, AManualCheckOffersTheNewestItemOnTheChosenChannels) {
    Fixture f;
    f.server.serve("/appcast.xml", {.body = kFeed});
    const QString feed = f.server.url("/appcast.xml");
    EXPECT_EQ(f.check(feed), "Tintwell 9.0 is available — you have 1.0.");
    f.channels.setChosenChannel("beta");
    EXPECT_EQ(f.check(feed), "Tintwell 9.1 is available — you have 1.0.");
    EXPECT_TRUE(f.presenter.notifications.empty());
    EXPECT_TRUE(f.defaults.writtenKeys().empty()) << "a manual check leaves the schedule alone";

    Fixture current("9.0");
    current.server.serve("/appcast.xml", {.body = kFeed});
    EXPECT_EQ(current.check(current.server.url("/appcast.xml")), "You're up to date.");
}

TEST(UpdaterTest, FailuresAnswerWithAReason) {
    const QByteArray huge((1 << 20) + 1, ' ');
    const struct {
        test::HttpAnswer answer;
        std::string reason;
    } cases[] = {
        {{.body = kFeed, .silent = true}, "no answer within 0.3 seconds."},
        {{.body = huge + huge + huge, .contentLength = false}, "the update feed is larger than 1 MiB."},
        {{.status = 302, .extraHeaders = "Location: http://tintwell.example/appcast.xml\r\n"},
         "redirected: the update feed address \"http://tintwell.example/appcast.xml\" does not use https."},
        {{.body = "<html/>"}, "the update feed is not an RSS feed."},
        {{.status = 302, .extraHeaders = "Location: /appcast.xml\r\n"}, "too many redirects (more than 5)."},
        // The status is told before the size of what came with it.
        {{.status = 404, .body = huge + huge, .contentLength = false}, "the server answered 404 Not Found."},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.server.serve("/appcast.xml", c.answer);
        f.start(f.server.url("/appcast.xml"), {0s, 0s, {300ms, 1 << 20}});
        EXPECT_EQ(f.check({}), "Couldn't check for updates: " + c.reason);
    }
    for (const char* address : {"http://tintwell.example/appcast.xml", "file:///tmp/appcast.xml"}) {
        Fixture f;
        const std::string answer = f.check(address);
        EXPECT_TRUE(answer.ends_with("does not use https.") || answer.ends_with("is not a valid address."))
            << address << ": " << answer;
    }
    Fixture f;
    EXPECT_EQ(f.check(""), "This build gets its updates from your package manager.");
}

TEST(UpdaterTest, AutomaticChecksRunOnceADayAndNotifyOncePerVersion) {
    Fixture f;
    f.server.serve("/appcast.xml", {.body = kFeed});
    f.defaults.setBool(updaterKeys::enableAutomaticChecks, true);
    const double day = 24 * 60 * 60;
    // Checked 23 hours ago: the next check is an hour away.
    f.defaults.setDouble(updaterKeys::lastCheckTime, secondsSinceEpoch(kNow) - day + 3600);
    f.start(f.server.url("/appcast.xml"), {Seconds(day), 0s, {2000ms, 1 << 20}});
    EXPECT_TRUE(f.updater->automaticallyChecksForUpdates());
    EXPECT_TRUE(f.updater->automaticCheckScheduled());
    test::spinUntil([] { return false; }, 50ms);
    EXPECT_EQ(f.server.requestCount(), 0);
    const auto offAndOn = [&] {
        f.updater->setAutomaticallyChecksForUpdates(false);
        f.updater->setAutomaticallyChecksForUpdates(true);
    };

    // A day since the last check: due at once.
    f.updater->setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(f.updater->automaticCheckScheduled());
    f.defaults.setDouble(updaterKeys::lastCheckTime, secondsSinceEpoch(kNow) - day);
    f.updater->setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(test::spinUntil([&] { return !f.presenter.notifications.empty(); }));
    EXPECT_EQ(f.presenter.notifications,
              std::vector<std::string>{"Tintwell 9.0 is available — you have 1.0."});
    EXPECT_TRUE(f.presenter.answers.empty()) << "no dialog for a check nobody asked for";
    EXPECT_EQ(f.defaults.object(updaterKeys::lastCheckTime), settings::Value(secondsSinceEpoch(kNow)));
    EXPECT_TRUE(f.updater->automaticCheckScheduled()) << "the next one, a day later";

    // The same version a day later: no second notification.
    f.clock->current = instantFromSecondsSinceEpoch(secondsSinceEpoch(kNow) + day);
    offAndOn();
    ASSERT_TRUE(test::spinUntil([&] { return f.server.requestCount() == 2; }));
    test::spinUntil([&] { return f.updater->automaticCheckScheduled(); });
    EXPECT_EQ(f.presenter.notifications.size(), 1u);

    // Switched off while a check waits for its answer, then on again: the checks go on.
    f.server.serve("/appcast.xml", {.silent = true});
    f.clock->current = instantFromSecondsSinceEpoch(secondsSinceEpoch(kNow) + 2 * day);
    offAndOn();
    ASSERT_TRUE(test::spinUntil([&] { return f.server.requestCount() == 3; }));
    offAndOn();
    EXPECT_TRUE(f.updater->automaticCheckScheduled());
}

/// Stands in for the update machinery and records what the application told it.
struct FakeUpdater final : Updater {
    bool automatic = false;
    int manualChecks = 0;
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic = on; }
    void checkForUpdates() override { ++manualChecks; }
    void setPresenter(UpdatePresenter*) override {}
};

struct DelegateFixture {
    settings::InMemoryUserDefaults defaults;
    platform::VirtualDisplayServices displays{1};
    FakeUpdater* updater = nullptr;
    std::optional<settings::Value> switchWhenMade;
    std::unique_ptr<AppDelegate> delegate;

    void launch() {
        test::application();
        delegate.reset();
        AppServices services;
        services.defaults = &defaults;
        services.displays = &displays;
        services.makeUpdater = [this](UpdateChannelDelegate&, settings::UserDefaults& d) {
            switchWhenMade = d.object(updaterKeys::enableAutomaticChecks);
            auto made = std::make_unique<FakeUpdater>();
            made->automatic = std::get<bool>(*switchWhenMade);
            updater = made.get();
            return made;
        };
        delegate = std::make_unique<AppDelegate>(std::move(services));
        delegate->applicationDidFinishLaunching();
    }
};

TEST(UpdateWiringTest, ConsentIsWrittenBeforeTheUpdaterStartsAndFollowedAtRunTime) {
    DelegateFixture f;
    f.launch();
    // A first start stores undecided, so later settings do not read as consent.
    EXPECT_EQ(f.defaults.string(settings::storedKey("updateConsent")), "undecided");
    EXPECT_EQ(f.switchWhenMade, settings::Value(false));
    f.delegate->appState()->setDayKelvin(6000);
    f.launch();
    EXPECT_EQ(f.delegate->appState()->updateConsent(), settings::UpdateConsent::Undecided);
    EXPECT_EQ(f.switchWhenMade, settings::Value(false));
    f.delegate.reset();
    f.defaults.setString(settings::storedKey("updateConsent"), "allowed");
    f.launch();
    EXPECT_EQ(f.switchWhenMade, settings::Value(true));
    EXPECT_TRUE(f.updater->automatic);

    f.delegate->appState()->setUpdateConsent(settings::UpdateConsent::Declined);
    EXPECT_TRUE(f.updater->automatic) << "delivered on the event loop, not inside the change";
    EXPECT_TRUE(test::spinUntil([&] { return !f.updater->automatic; }, 1s));
    f.delegate->appState()->setUpdateChannel("dev");
    EXPECT_TRUE(
        test::spinUntil([&] { return f.delegate->updateChannelDelegate()->chosenChannel() == "dev"; }));
    f.delegate->onCheckForUpdates();
    EXPECT_EQ(f.updater->manualChecks, 1);

    f.launch();
    EXPECT_EQ(f.switchWhenMade, settings::Value(false));
}

} // namespace
} // namespace tintwell::updates
