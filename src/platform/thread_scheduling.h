#pragma once

#include <thread>

namespace vantor {

// How the system schedules a thread: time-shared as usual, or real-time
// (first in, first out) at the lowest or the highest real-time priority.
enum class ThreadScheduling { Normal, RealTime, RealTimeHighest };

// Best effort: real-time scheduling needs a right most processes lack, and a
// refused request leaves the thread as it was. False when refused.
bool SetThreadScheduling(std::thread& thread, ThreadScheduling scheduling);
bool SetCurrentThreadScheduling(ThreadScheduling scheduling);

}  // namespace vantor
