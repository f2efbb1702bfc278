#include "platform/thread_scheduling.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vantor {
namespace {

TEST(ThreadSchedulingTest, ThreadedNormalSchedulingIsAlwaysGrantedAndRealTimeIsBestEffort) {
    EXPECT_TRUE(SetCurrentThreadScheduling(ThreadScheduling::Normal));
    std::atomic<bool> stop{false};
    std::thread worker([&stop] {
        while (!stop.load()) std::this_thread::yield();
    });
    EXPECT_TRUE(SetThreadScheduling(worker, ThreadScheduling::Normal));
    // Granted or refused by the machine's rights; either way the thread runs on.
    if (SetThreadScheduling(worker, ThreadScheduling::RealTimeHighest)) {
        EXPECT_TRUE(SetThreadScheduling(worker, ThreadScheduling::Normal));
    }
    stop = true;
    worker.join();

    std::thread none;
    EXPECT_FALSE(SetThreadScheduling(none, ThreadScheduling::Normal));
}

}  // namespace
}  // namespace vantor
