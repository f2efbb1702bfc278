#include "engine/thread.h"

#include <chrono>

#include "platform/thread_scheduling.h"

namespace vantor {

namespace {

ThreadScheduling SchedulingFor(int32_t priority) {
    if (priority >= kPriorityTimeCritical) return ThreadScheduling::RealTimeHighest;
    return priority >= kPriorityHighest ? ThreadScheduling::RealTime : ThreadScheduling::Normal;
}

}  // namespace

CThread::~CThread() {
    // Subclasses join in their own destructors; this only makes sure no
    // thread outlives the object, without calling into the gone subclass.
    m_stopRequested.store(true, std::memory_order_release);
    if (m_thread.joinable()) m_thread.join();
}

bool CThread::Start() {
    std::lock_guard lock(m_threadMutex);
    if (IsRunning()) return false;
    if (m_thread.joinable()) m_thread.join();  // a thread that ended by itself
    m_stopRequested.store(false, std::memory_order_release);
    m_running.store(true, std::memory_order_release);
    m_thread = std::thread(&CThread::Entry, this);
    return true;
}

void CThread::Entry() {
    ApplyPriority();
    Run();
    m_stopRequested.store(false, std::memory_order_release);
    m_running.store(false, std::memory_order_release);
}

void CThread::RequestStop() {
    m_stopRequested.store(true, std::memory_order_release);
    if (IsRunning()) OnStopRequest();
}

bool CThread::Join(int seconds) {
    std::lock_guard lock(m_threadMutex);
    if (!m_thread.joinable()) return true;
    if (IsRunning()) RequestStop();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (IsRunning()) {
        if (seconds >= 0 && std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    m_thread.join();
    return true;
}

void CThread::SetThreadPriority(int32_t priority) {
    m_priority.store(priority, std::memory_order_release);
    std::lock_guard lock(m_threadMutex);
    if (IsRunning()) SetThreadScheduling(m_thread, SchedulingFor(priority));  // best effort
}

void CThread::ApplyPriority() {
    int32_t priority = m_priority.load(std::memory_order_acquire);
    if (priority < kPriorityHighest) return;
    SetCurrentThreadScheduling(SchedulingFor(priority));  // refused without the right: stays normal
}

}  // namespace vantor
