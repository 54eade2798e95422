#include "platform/virtual/virtual_display_services.h"
#include "support/event_loop.h"
#include "watchers/lifecycle_observer.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using tintwell::platform::LifecycleEventSource;
using tintwell::platform::VirtualDisplayServices;
using tintwell::test::spinUntil;
using tintwell::watchers::LifecycleObserver;

namespace {

class FakeSource : public LifecycleEventSource {
public:
    explicit FakeSource(bool available) : available_(available) {}
    bool start() override { return running = available_; }
    void stop() override { running = false; }
    QString description() const override { return QStringLiteral("fake"); }
    void fire() { Q_EMIT occurred(); }
    bool running = false;

private:
    bool available_;
};

struct Harness {
    explicit Harness(double debounceSeconds) {
        tintwell::test::application();
        std::vector<std::unique_ptr<LifecycleEventSource>> sources;
        sources.push_back(std::make_unique<FakeSource>(true));
        sources.push_back(std::make_unique<FakeSource>(true));
        first = static_cast<FakeSource*>(sources[0].get());
        second = static_cast<FakeSource*>(sources[1].get());
        observer = std::make_unique<LifecycleObserver>([this] { ++runs; }, &displays, std::move(sources),
                                                       tintwell::Seconds(debounceSeconds));
        observer->start();
    }
    VirtualDisplayServices displays{2};
    FakeSource* first = nullptr;
    FakeSource* second = nullptr;
    std::unique_ptr<LifecycleObserver> observer;
    int runs = 0;
};

TEST(LifecycleObserver, ABurstFromEverySourceRunsTheHandlerOnce) {
    Harness h(0.1);
    QElapsedTimer sinceLastEvent;
    h.first->fire();
    h.displays.setDisplays({});
    h.observer->simulateWake();
    h.second->fire();
    h.observer->simulateClockChange();
    h.observer->simulateTimeZoneChange();
    h.first->fire();
    sinceLastEvent.start();
    EXPECT_EQ(h.runs, 0);
    ASSERT_TRUE(spinUntil([&] { return h.runs > 0; }));
    EXPECT_GE(sinceLastEvent.elapsed(), 100);
    EXPECT_TRUE(h.runs == 1 && !h.observer->isPending());

    // An event after the run starts a new cycle.
    h.displays.setDisplays({});
    ASSERT_TRUE(spinUntil([&] { return h.runs > 1; }));
    EXPECT_EQ(h.runs, 2);
}

TEST(LifecycleObserver, StopOrTheObserverGoingAwayDropsThePendingRunAndLaterEvents) {
    Harness stopped(0.02), gone(0.02);
    stopped.first->fire();
    gone.first->fire();
    ASSERT_TRUE(stopped.observer->isPending() && gone.observer->isPending());
    stopped.observer->stop();
    gone.observer.reset();
    EXPECT_FALSE(stopped.observer->isPending() || stopped.first->running);
    stopped.first->fire();
    stopped.displays.setDisplays({});
    stopped.observer->simulateWake();
    EXPECT_FALSE(stopped.observer->isPending());
    // A witness scheduled later with the same interval runs after the dropped runs would have.
    Harness witness(0.02);
    witness.first->fire();
    ASSERT_TRUE(spinUntil([&] { return witness.runs > 0; }));
    EXPECT_EQ(stopped.runs + gone.runs, 0);
}

} // namespace
