#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace vantor {

// Message numbers start at the first private window message, as posted
// notifications always have.
constexpr uint32_t kUserMessage = 0x0400;

struct PostedMessage {
    uint32_t message = 0;
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
};

// The posted-message queue of one window (controller): any thread posts, the
// owner's thread takes the messages in order. A window is named by its queue.
class MessageQueue {
public:
    void Post(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
    // The next message, if any, without waiting.
    std::optional<PostedMessage> Take();
    // Waits up to the timeout for the next message.
    std::optional<PostedMessage> WaitFor(std::chrono::milliseconds timeout);
    size_t Size() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_condition;
    std::deque<PostedMessage> m_messages;
};

}  // namespace vantor
