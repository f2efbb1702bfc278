#include "platform/message_queue.h"

namespace vantor {

void MessageQueue::Post(uint32_t message, uintptr_t wparam, intptr_t lparam) {
    // Notified under the lock: once the owner has taken the message it may
    // destroy the queue, and a poster must not touch it after that.
    std::lock_guard lock(m_mutex);
    m_messages.push_back({message, wparam, lparam});
    m_condition.notify_all();
}

std::optional<PostedMessage> MessageQueue::Take() {
    std::lock_guard lock(m_mutex);
    if (m_messages.empty()) return std::nullopt;
    PostedMessage message = m_messages.front();
    m_messages.pop_front();
    return message;
}

std::optional<PostedMessage> MessageQueue::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_condition.wait_for(lock, timeout, [&] { return !m_messages.empty(); })) return std::nullopt;
    PostedMessage message = m_messages.front();
    m_messages.pop_front();
    return message;
}

size_t MessageQueue::Size() const {
    std::lock_guard lock(m_mutex);
    return m_messages.size();
}

}  // namespace vantor
