#include "platform/thread_scheduling.h"

#include <pthread.h>
#include <sched.h>

namespace vantor {

namespace {

bool Apply(pthread_t thread, ThreadScheduling scheduling) {
    sched_param param{};
    int policy = SCHED_OTHER;
    if (scheduling != ThreadScheduling::Normal) {
        policy = SCHED_FIFO;
        param.sched_priority = scheduling == ThreadScheduling::RealTimeHighest ? sched_get_priority_max(SCHED_FIFO) : 1;
    }
    return pthread_setschedparam(thread, policy, &param) == 0;
}

}  // namespace

bool SetThreadScheduling(std::thread& thread, ThreadScheduling scheduling) {
    return thread.joinable() && Apply(thread.native_handle(), scheduling);
}

bool SetCurrentThreadScheduling(ThreadScheduling scheduling) { return Apply(pthread_self(), scheduling); }

}  // namespace vantor
