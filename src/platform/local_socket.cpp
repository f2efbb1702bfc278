#include "platform/local_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantor {

namespace {

constexpr int kSendTimeoutSeconds = 5;

bool FillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Waits on the fd and the waker; 1 readable, 0 timed out, -1 failed, -2 woken.
int PollWith(int fd, int timeoutMs, const SocketWaker* waker) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {waker ? waker->ReadFd() : -1, POLLIN, 0}};
    for (;;) {
        int n = ::poll(fds, waker ? 2 : 1, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) return 0;
        if (waker && (fds[1].revents & POLLIN)) return -2;
        return 1;
    }
}

}  // namespace

SocketWaker::SocketWaker() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_read = fds[0];
        m_write = fds[1];
    }
}

SocketWaker::~SocketWaker() {
    if (m_read >= 0) ::close(m_read);
    if (m_write >= 0) ::close(m_write);
}

void SocketWaker::Wake() {
    const char byte = 1;
    if (m_write >= 0) [[maybe_unused]] auto n = ::write(m_write, &byte, 1);
}

void SocketWaker::Clear() {
    char buffer[64];
    while (m_read >= 0 && ::read(m_read, buffer, sizeof buffer) > 0) {
    }
}

LocalSocket& LocalSocket::operator=(LocalSocket&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

LocalSocket LocalSocket::Connect(const std::string& path) {
    sockaddr_un address;
    if (!FillAddress(path, address)) return {};
    // Non-blocking while connecting: a server busy with another client and
    // a full backlog is refused at once, not waited for.
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return {};
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return {};
    }
    timeval timeout{kSendTimeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    return LocalSocket(fd);
}

void LocalSocket::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

LocalSocket::Io LocalSocket::WaitReadable(std::chrono::milliseconds timeout, const SocketWaker* waker) const {
    if (m_fd < 0) return Io::Failed;
    int ms = timeout.count() < 0 ? -1 : static_cast<int>(std::min<int64_t>(timeout.count(), INT32_MAX));
    switch (PollWith(m_fd, ms, waker)) {
        case 1: return Io::Ok;
        case 0: return Io::TimedOut;
        case -2: return Io::Woken;
        default: return Io::Failed;
    }
}

LocalSocket::Io LocalSocket::ReadAll(void* data, size_t size, Clock::time_point deadline, const SocketWaker* waker) {
    auto* bytes = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) return Io::TimedOut;
        Io ready = WaitReadable(left, waker);
        if (ready != Io::Ok) return ready;
        ssize_t n = ::recv(m_fd, bytes + done, size - done, MSG_DONTWAIT);
        if (n == 0) return Io::Closed;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return errno == ECONNRESET ? Io::Closed : Io::Failed;
        }
        done += static_cast<size_t>(n);
    }
    return Io::Ok;
}

bool LocalSocket::WriteAll(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        if (m_fd < 0) return false;
        ssize_t n = ::send(m_fd, bytes + done, size - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool LocalSocket::IsConnected() const {
    if (m_fd < 0) return false;
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, 0) < 0) return false;
    // Readable between exchanges means the peer's end, or stale bytes that
    // put the stream out of step: either way the socket is no longer usable.
    return (fd.revents & (POLLERR | POLLNVAL | POLLHUP | POLLIN)) == 0;
}

std::optional<uid_t> LocalSocket::PeerUid() const {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (m_fd < 0 || ::getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
    return credentials.uid;
}

bool LocalSocket::PeerIsSameUser() const {
    auto uid = PeerUid();
    return uid && *uid == ::getuid();
}

Status LocalListener::Listen(const std::string& path) {
    Close();
    sockaddr_un address;
    if (!FillAddress(path, address)) return Refusal{"The socket path is too long: " + path, "", MessageIcon::Error};
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Refusal{std::string("Cannot create a socket: ") + std::strerror(errno), "", MessageIcon::Error};
    ::unlink(path.c_str());
    // Created with no permission for group and others, then set to 0600.
    mode_t old = ::umask(0177);
    int bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int bindError = errno;
    ::umask(old);
    if (bound != 0 || ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 4) != 0) {
        std::string reason = std::strerror(bound != 0 ? bindError : errno);
        ::close(fd);
        ::unlink(path.c_str());
        return Refusal{"Cannot listen at " + path + ": " + reason, "", MessageIcon::Error};
    }
    m_fd = fd;
    m_path = path;
    return Status::Success();
}

LocalSocket LocalListener::Accept(const SocketWaker& waker) {
    if (m_fd < 0) return {};
    if (PollWith(m_fd, -1, &waker) != 1) return {};
    int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return {};
    timeval timeout{kSendTimeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    return LocalSocket(fd);
}

void LocalListener::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
    m_fd = -1;
}

}  // namespace vantor
