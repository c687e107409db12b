#include "services/rate_limiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace vorla;
using namespace std::chrono_literals;
using Clock = RateLimiter::Clock;

namespace {

// A monotonic clock the test moves by hand; sleeps are recorded, not slept.
struct FakeTime
{
    std::mutex mutex;
    Clock::time_point now = Clock::time_point() + 1000h;
    struct Sleep
    {
        Clock::duration duration;
        bool stopped;
    };
    std::vector<Sleep> sleeps;

    RateLimiter limiter(std::chrono::duration<double> interval)
    {
        return RateLimiter(
            interval,
            [this] {
                std::lock_guard lock(mutex);
                return now;
            },
            [this](Clock::duration duration, std::stop_token stop) {
                std::lock_guard lock(mutex);
                sleeps.push_back({duration, stop.stop_requested()});
            });
    }
    std::vector<Clock::duration> durations()
    {
        std::lock_guard lock(mutex);
        std::vector<Clock::duration> result;
        for (const auto &sleep : sleeps)
            result.push_back(sleep.duration);
        return result;
    }
};

Clock::duration seconds(double value)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(value));
}

} // namespace

// Slots are measured on a clock the wall clock cannot set back.
static_assert(RateLimiter::Clock::is_steady);

TEST(RateLimiter, SpreadsCallersArrivingTogether)
{
    FakeTime time;
    auto limiter = time.limiter(1.0s);
    limiter.wait();
    limiter.wait();
    limiter.wait();
    // The first returns at once, the others at 1 s and 2 s.
    EXPECT_EQ(time.durations(), (std::vector{seconds(1.0), seconds(2.0)}));
}

TEST(RateLimiter, IdleLimiterLetsTheNextCallerThroughAndRestartsSpacing)
{
    FakeTime time;
    auto limiter = time.limiter(2.45s);
    limiter.wait();
    time.now += seconds(2.45 + 5.0);
    limiter.wait();
    EXPECT_TRUE(time.durations().empty());
    limiter.wait();
    EXPECT_EQ(time.durations(), (std::vector{seconds(2.45)}));
}

TEST(RateLimiter, CallerPartWayThroughAnIntervalWaitsTheRest)
{
    FakeTime time;
    auto limiter = time.limiter(1.1s);
    limiter.wait();
    time.now += 400ms;
    limiter.wait();
    EXPECT_EQ(time.durations(), (std::vector{seconds(0.7)}));
}

TEST(RateLimiter, CancelledCallerKeepsItsSlotConsumed)
{
    FakeTime time;
    auto limiter = time.limiter(1.0s);
    limiter.wait();
    std::stop_source cancelled;
    cancelled.request_stop();
    limiter.wait(cancelled.get_token());
    limiter.wait();
    ASSERT_EQ(time.sleeps.size(), 2u);
    EXPECT_TRUE(time.sleeps[0].stopped);
    EXPECT_EQ(time.sleeps[1].duration, seconds(2.0));
}

TEST(RateLimiter, StopEndsARealWaitEarlyWithoutError)
{
    RateLimiter limiter(30s);
    limiter.wait();
    std::stop_source source;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(50ms);
        source.request_stop();
    });
    const auto start = Clock::now();
    EXPECT_NO_THROW(limiter.wait(source.get_token()));
    EXPECT_LT(Clock::now() - start, 10s);
}

TEST(RateLimiter, ConcurrentCallersGetDistinctEvenlySpacedSlots)
{
    FakeTime time;
    auto limiter = time.limiter(0.5s);
    constexpr int kThreads = 16;
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&] { limiter.wait(); });
    }
    auto durations = time.durations();
    std::sort(durations.begin(), durations.end());
    ASSERT_EQ(durations.size(), size_t(kThreads - 1));
    for (int i = 0; i < kThreads - 1; ++i)
        EXPECT_EQ(durations[i], seconds(0.5 * (i + 1)));
}

TEST(RateLimiter, SharedLimitersHaveTheServicesIntervals)
{
    EXPECT_EQ(RateLimiters::discogsAuthenticated().interval(), seconds(1.0));
    EXPECT_EQ(RateLimiters::discogsAnonymous().interval(), seconds(2.45));
    EXPECT_EQ(RateLimiters::musicBrainz().interval(), seconds(1.1));
    EXPECT_NE(&RateLimiters::discogsAuthenticated(), &RateLimiters::discogsAnonymous());
}
