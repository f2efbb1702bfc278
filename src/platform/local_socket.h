#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/result.h"

namespace vantor {

// Wakes a thread blocked on a socket: a pipe whose read end every wait of
// LocalSocket and LocalListener watches besides the socket.
class SocketWaker {
public:
    SocketWaker();
    ~SocketWaker();
    SocketWaker(const SocketWaker&) = delete;
    SocketWaker& operator=(const SocketWaker&) = delete;

    bool IsOpen() const { return m_read >= 0; }
    // Stays raised until Clear.
    void Wake();
    void Clear();
    int ReadFd() const { return m_read; }

private:
    int m_read = -1;
    int m_write = -1;
};

// One end of a connected local (Unix-domain) stream socket. Writes never
// raise SIGPIPE; every read has a deadline.
class LocalSocket {
public:
    using Clock = std::chrono::steady_clock;
    enum class Io { Ok, Closed, TimedOut, Woken, Failed };

    LocalSocket() = default;
    explicit LocalSocket(int fd) : m_fd(fd) {}
    ~LocalSocket() { Close(); }
    LocalSocket(LocalSocket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    LocalSocket& operator=(LocalSocket&& other) noexcept;
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    // Not open when nobody listens at the path (missing, refused, or busy
    // with a full backlog: never waited for).
    static LocalSocket Connect(const std::string& path);

    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // Waits until bytes (or the peer's end) can be read; a time-out below
    // zero waits without limit. The waker, when given, ends the wait.
    Io WaitReadable(std::chrono::milliseconds timeout, const SocketWaker* waker = nullptr) const;
    // Reads exactly size bytes before the deadline.
    Io ReadAll(void* data, size_t size, Clock::time_point deadline, const SocketWaker* waker = nullptr);
    // Writes every byte or fails; a peer that stops reading fails the write
    // once the send time-out has passed.
    bool WriteAll(const void* data, size_t size);
    // False when the peer has closed its end, unread bytes wait, or the
    // socket failed: checked between exchanges.
    bool IsConnected() const;
    // The user id of the process at the other end.
    std::optional<uid_t> PeerUid() const;
    // True when the process at the other end runs as this process's user.
    bool PeerIsSameUser() const;

private:
    int m_fd = -1;
};

// A listening local stream socket at a path, mode 0600.
class LocalListener {
public:
    LocalListener() = default;
    ~LocalListener() { Close(); }
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    // Replaces a socket file left at the path (the caller holds the lock that
    // makes it stale) and listens.
    Status Listen(const std::string& path);
    // Waits for the next client; not open when the waker was raised or the
    // accept failed.
    LocalSocket Accept(const SocketWaker& waker);
    // Stops listening and removes the socket file.
    void Close();
    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace vantor
