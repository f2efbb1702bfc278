#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace vantor {

// Thread priorities as the engine names them; applied as far as the system
// permits (real-time scheduling only where the process may use it).
enum ThreadPriority : int32_t {
    kPriorityNormal = 0,
    kPriorityAboveNormal = 1,
    kPriorityHighest = 2,
    kPriorityTimeCritical = 15,
};

// A worker thread: Start runs Run() on a new thread; RequestStop raises the
// stop flag and lets the subclass wake its thread (OnStopRequest); Join waits
// for the end. Subclasses must Join in their own destructor, before their
// members go away; the base destructor only guards against a forgotten one.
class CThread {
public:
    CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    virtual ~CThread();

    // False when the thread already runs.
    bool Start();
    void RequestStop();
    // Requests a stop and waits up to the given whole seconds (-1: no limit);
    // true when the thread has ended.
    bool Join(int seconds = -1);
    void SetThreadPriority(int32_t priority);
    int32_t GetThreadPriority() const { return m_priority; }

    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }
    bool IsStopRequested() const { return m_stopRequested.load(std::memory_order_acquire); }

protected:
    virtual int32_t Run() = 0;
    virtual void OnStopRequest() = 0;

private:
    void Entry();
    void ApplyPriority();

    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_running{false};
    std::atomic<int32_t> m_priority{kPriorityNormal};
    std::mutex m_threadMutex;  // guards m_thread against Start/Join races
    std::thread m_thread;
};

}  // namespace vantor
