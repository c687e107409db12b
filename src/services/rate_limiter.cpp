#include "services/rate_limiter.h"

#include "services/stoppable_sleep.h"

#include <algorithm>

namespace vorla {

namespace {

RateLimiter::Clock::time_point realNow()
{
    return RateLimiter::Clock::now();
}

void realSleep(RateLimiter::Clock::duration duration, std::stop_token stop)
{
    sleepFor(duration, stop);
}

} // namespace

RateLimiter::RateLimiter(std::chrono::duration<double> interval) : RateLimiter(interval, {}, {}) {}

RateLimiter::RateLimiter(std::chrono::duration<double> interval, Now now, Sleep sleep)
    : m_interval(std::chrono::duration_cast<Clock::duration>(interval))
    , m_now(now ? std::move(now) : Now(realNow))
    , m_sleep(sleep ? std::move(sleep) : Sleep(realSleep))
{
}

void RateLimiter::wait(std::stop_token stop)
{
    Clock::duration delay;
    Sleep sleep;
    {
        std::lock_guard lock(m_mutex);
        const auto now = m_now();
        const auto slot = std::max(m_next, now);
        // Reserved before anyone sleeps, so concurrent callers get distinct, increasing slots.
        m_next = slot + m_interval;
        delay = slot - now;
        sleep = m_sleep;
    }
    if (delay <= Clock::duration::zero())
        return;
    sleep(delay, stop);
}

void RateLimiter::setClockForTesting(Now now, Sleep sleep)
{
    std::lock_guard lock(m_mutex);
    m_now = now ? std::move(now) : Now(realNow);
    m_sleep = sleep ? std::move(sleep) : Sleep(realSleep);
    m_next = Clock::time_point::min();
}

namespace RateLimiters {

RateLimiter &discogsAuthenticated()
{
    static RateLimiter limiter(std::chrono::duration<double>(1.0));
    return limiter;
}

RateLimiter &discogsAnonymous()
{
    static RateLimiter limiter(std::chrono::duration<double>(2.45));
    return limiter;
}

RateLimiter &musicBrainz()
{
    static RateLimiter limiter(std::chrono::duration<double>(1.1));
    return limiter;
}

} // namespace RateLimiters

} // namespace vorla
