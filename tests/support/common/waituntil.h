#pragma once

// Waiting in tests for something another thread does: poll a condition
// until it holds or the limit passes. The limit is generous on purpose; a
// passing test returns as soon as the condition holds.

#include <chrono>
#include <thread>

namespace qv::testing {

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace qv::testing
