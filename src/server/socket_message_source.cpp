#include "server/socket_message_source.h"

namespace vantor {

IMessageSource::Read SocketMessageSource::FromIo(LocalSocket::Io io) {
    switch (io) {
        case LocalSocket::Io::Ok: return Read::Ok;
        case LocalSocket::Io::TimedOut: return Read::TimedOut;
        case LocalSocket::Io::Woken: return Read::Woken;
        default: return Read::Closed;
    }
}

IMessageSource::Read SocketMessageSource::WaitForMessage() {
    auto waited = FromIo(m_socket.WaitReadable(m_waitLimit, m_waker));
    m_deadline = LocalSocket::Clock::now() + std::chrono::milliseconds(kMessageDeadlineMilliseconds);
    return waited;
}

IMessageSource::Read SocketMessageSource::ReadExact(void* data, size_t size) {
    return FromIo(m_socket.ReadAll(data, size, m_deadline, m_waker));
}

}  // namespace vantor
