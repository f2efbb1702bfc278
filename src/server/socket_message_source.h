#pragma once

#include <chrono>

#include "platform/local_socket.h"
#include "server/message_reader.h"

namespace vantor {

// Messages off a connected socket: the wait for a message is limited as
// given (below zero: no limit, only the waker ends it), and the rest of a
// message must arrive within its deadline once it has begun.
class SocketMessageSource : public IMessageSource {
public:
    SocketMessageSource(LocalSocket& socket, std::chrono::milliseconds waitLimit, const SocketWaker* waker = nullptr)
        : m_socket(socket), m_waitLimit(waitLimit), m_waker(waker) {}

    Read WaitForMessage() override;
    Read ReadExact(void* data, size_t size) override;

private:
    static Read FromIo(LocalSocket::Io io);

    LocalSocket& m_socket;
    std::chrono::milliseconds m_waitLimit;
    const SocketWaker* m_waker;
    LocalSocket::Clock::time_point m_deadline{};
};

}  // namespace vantor
