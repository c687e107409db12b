// A pause on the monotonic clock that a stop request ends early.
#pragma once

#include <chrono>
#include <stop_token>

namespace vorla {

// Sleeps for `duration` unless `stop` is requested first. Returns false when stopped.
bool sleepFor(std::chrono::nanoseconds duration, std::stop_token stop);

} // namespace vorla
