#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace vantor::test {

// Polls until the condition holds; false when it still does not after 20
// seconds, long enough for a loaded machine and short of hanging a test run.
inline bool WaitUntil(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

}  // namespace vantor::test
