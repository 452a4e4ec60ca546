#include "editor/vedexcept.h"
#include "editor/vedtimer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ved;

namespace {

class FakeDriver : public TVedTimerDriver {
public:
    bool available = true;
    uint16_t running = 0;
    bool Start(uint16_t period) override {
        if (!available)
            return false;
        running = period;
        return true;
    }
    void Stop() override { running = 0; }
};

class TimerPoolTest : public ::testing::Test {
protected:
    uint32_t now = 1000;
    FakeDriver driver;
    TVedTimerPool pool{[this] { return now; }, &driver};
    std::vector<std::pair<int32_t, int32_t>> fired; // handle, elapsed
    TTriggerEvent Record() {
        return [this](TVedTimerPool&, int32_t handle, uint16_t, int32_t elapsed) {
            fired.emplace_back(handle, elapsed);
        };
    }
};

} // namespace

TEST_F(TimerPoolTest, PeriodDividesTheIntervalsButNeverDropsBelow55) {
    EXPECT_EQ(pool.Period(), 0);
    pool.AddTrigger(100, Record(), true);
    EXPECT_EQ(pool.Period(), 100);
    EXPECT_EQ(driver.running, 100);
    const int32_t h = pool.AddTrigger(250, Record(), true);
    EXPECT_EQ(pool.Period(), 55);
    pool.RemoveTrigger(h);
    EXPECT_EQ(pool.Period(), 100);
    pool.AddTrigger(300, Record(), true, false); // disabled ones still shape the period
    EXPECT_EQ(pool.Period(), 100);
    pool.AddTrigger(150, Record(), true, false);
    EXPECT_EQ(pool.Period(), 55);
}

TEST_F(TimerPoolTest, DueTriggersFireWithSlackAndOneShotsGoAway) {
    std::vector<int32_t> all;
    pool.OnAllTriggers = [&](TVedTimerPool&, int32_t handle, uint16_t interval, int32_t) {
        all.push_back(handle);
        EXPECT_GT(interval, 0);
    };
    const int32_t every = pool.AddTrigger(200, Record(), true);
    const int32_t once = pool.AddTrigger(100, Record(), false);
    EXPECT_EQ(pool.Period(), 100);
    now += 72; // 100 - 27 not yet reached
    pool.Check();
    EXPECT_TRUE(fired.empty());
    now += 1;
    pool.Check();
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], std::make_pair(once, 73));
    EXPECT_EQ(pool.Count(), 1);
    // 127 ms left, cut down to divide the interval of 200: 127 - 73 = 54, raised to 55
    EXPECT_EQ(pool.Period(), 55);
    now += 200;
    pool.Check();
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1], std::make_pair(every, 273));
    EXPECT_EQ(all, (std::vector<int32_t>{once, every}));
    pool.RemoveTrigger(every);
    pool.RemoveTrigger(12345); // unknown: ignored
    EXPECT_EQ(pool.Period(), 0);
    EXPECT_EQ(driver.running, 0);
}

TEST_F(TimerPoolTest, DisabledTriggersNeverFire) {
    const int32_t h = pool.AddTrigger(100, Record(), true, false);
    now += 1000;
    pool.Check();
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(pool.EnabledCount(), 0);
    pool.SetTriggerEnabled(h, true);
    pool.Check();
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(TimerPoolTest, AnEventMayRemoveOtherTriggers) {
    int32_t second = 0;
    pool.AddTrigger(
        100,
        [&](TVedTimerPool& sender, int32_t, uint16_t, int32_t) { sender.RemoveTrigger(second); },
        true);
    second = pool.AddTrigger(100, Record(), true);
    now += 100;
    pool.Check();
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(pool.Count(), 1);
}

TEST_F(TimerPoolTest, NoPlatformTimerRaises) {
    driver.available = false;
    EXPECT_THROW(pool.AddTrigger(100, Record(), true), ENoTimersAvailable);
    try {
        pool.AddTrigger(100, Record(), true);
    } catch (const EVedException& e) {
        EXPECT_STREQ(e.what(), "No Window's timers are available");
    }
}
