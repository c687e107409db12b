#include "services/stoppable_sleep.h"

#include <condition_variable>
#include <mutex>

namespace vorla {

bool sleepFor(std::chrono::nanoseconds duration, std::stop_token stop)
{
    if (stop.stop_requested())
        return false;
    if (duration <= std::chrono::nanoseconds::zero())
        return true;
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    const auto deadline = std::chrono::steady_clock::now() + duration;
    // Nothing but a stop request notifies, so the predicate is only the stop itself.
    wakeUp.wait_until(lock, stop, deadline, [] { return false; });
    return !stop.stop_requested();
}

} // namespace vorla
