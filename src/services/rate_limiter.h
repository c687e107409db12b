// Spaces the requests of one web service by a fixed interval: wait() hands out the next free
// slot at once and returns when it has come, so callers arriving together are spread out in
// the order they arrived.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <stop_token>

namespace vorla {

class RateLimiter
{
public:
    // Slots are measured on the monotonic clock: a wall clock set back must not freeze lookups.
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    // Sleeps for the duration or until the stop is requested, whichever comes first.
    using Sleep = std::function<void(Clock::duration, std::stop_token)>;

    explicit RateLimiter(std::chrono::duration<double> interval);
    RateLimiter(std::chrono::duration<double> interval, Now now, Sleep sleep);
    RateLimiter(const RateLimiter &) = delete;
    RateLimiter &operator=(const RateLimiter &) = delete;

    // Returns when the caller's slot has come. A stop request ends the wait early, without
    // an error; the reserved slot stays consumed.
    void wait(std::stop_token stop = {});

    Clock::duration interval() const { return m_interval; }

    // Replaces the clock and the sleep and forgets the reserved slots, so tests run the
    // shared limiters in virtual time. Empty functions restore the real ones.
    void setClockForTesting(Now now, Sleep sleep);

private:
    const Clock::duration m_interval;
    std::mutex m_mutex;
    Now m_now;
    Sleep m_sleep;
    Clock::time_point m_next = Clock::time_point::min();
};

// The process's shared limiters, one per kind of request.
namespace RateLimiters {
// Discogs search and release requests with a token: 1.0 s.
RateLimiter &discogsAuthenticated();
// Discogs search and release requests without a token: 2.45 s.
RateLimiter &discogsAnonymous();
// Every MusicBrainz search and release request: 1.1 s.
RateLimiter &musicBrainz();
} // namespace RateLimiters

} // namespace vorla
