#include "platform/event.h"

#include <vector>

namespace vantor {

Event::Event(enum Reset reset, std::shared_ptr<EventHub> hub)
    : m_hub(hub ? std::move(hub) : std::make_shared<EventHub>()), m_manual(reset == Reset::Manual) {}

void Event::Set() {
    // Notified under the lock, so a waiter that wakes and destroys the event
    // never races with this call.
    std::lock_guard lock(m_hub->Mutex());
    m_set = true;
    m_hub->Condition().notify_all();
}

void Event::Reset() {
    std::lock_guard lock(m_hub->Mutex());
    m_set = false;
}

bool Event::IsSet() const {
    std::lock_guard lock(m_hub->Mutex());
    return m_set;
}

bool Event::TakeLocked() {
    if (!m_set) return false;
    if (!m_manual) m_set = false;
    return true;
}

bool Event::Wait(std::chrono::milliseconds timeout) { return WaitAny({this}, timeout) == 0; }

int Event::WaitAny(std::initializer_list<Event*> events, std::chrono::milliseconds timeout) {
    if (events.size() == 0) return -1;
    EventHub& hub = *(*events.begin())->m_hub;
    std::unique_lock lock(hub.Mutex());
    int found = -1;
    auto ready = [&] {
        int index = 0;
        for (Event* event : events) {
            if (event->TakeLocked()) {
                found = index;
                return true;
            }
            ++index;
        }
        return false;
    };
    if (timeout.count() < 0) {
        hub.Condition().wait(lock, ready);
    } else {
        hub.Condition().wait_for(lock, timeout, ready);
    }
    return found;
}

}  // namespace vantor
