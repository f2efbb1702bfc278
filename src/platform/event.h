#pragma once

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>

namespace vantor {

// Events that one thread can wait on together share a hub: one mutex and one
// condition variable, so a wait for "any of these" never misses a signal.
class EventHub {
public:
    std::mutex& Mutex() { return m_mutex; }
    std::condition_variable& Condition() { return m_condition; }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
};

// A signalled/non-signalled flag to wait on. An auto-reset event wakes one
// wait and clears itself; a manual-reset event stays set until Reset.
class Event {
public:
    enum class Reset { Auto, Manual };

    // With no hub the event has one of its own.
    explicit Event(Reset reset, std::shared_ptr<EventHub> hub = nullptr);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // Waits until the event is set; false on timeout. A negative timeout
    // waits without limit.
    bool Wait(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

    // Waits until one of the events (all of one hub) is set and returns its
    // index, or -1 on timeout. The first set event in list order wins; an
    // auto-reset event that wins is cleared.
    static int WaitAny(std::initializer_list<Event*> events,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

    const std::shared_ptr<EventHub>& Hub() const { return m_hub; }

private:
    bool TakeLocked();

    std::shared_ptr<EventHub> m_hub;
    bool m_manual;
    bool m_set = false;
};

}  // namespace vantor
