#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantor {

FileLock::~FileLock() { Close(); }

bool FileLock::Open(const std::string& path, bool create) {
    Close();
    // Read access is enough for flock, so a reader can lock in a directory
    // it may not write.
    int createError = 0;
    if (create) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) createError = errno;
    }
    if (m_fd < 0) m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        // A file that could not be created is missing for that reason.
        const int error = createError != 0 && errno == ENOENT ? createError : errno;
        m_error = path + ": " + std::strerror(error);
        return false;
    }
    m_error.clear();
    return true;
}

void FileLock::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

FileLock::Outcome FileLock::Lock(Mode mode, Wait wait) {
    if (m_fd < 0) return Outcome::Failed;
    int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    if (wait == Wait::Try) operation |= LOCK_NB;
    for (;;) {
        if (::flock(m_fd, operation) == 0) return Outcome::Locked;
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK) return Outcome::Busy;
        m_error = std::string("cannot lock: ") + std::strerror(errno);
        return Outcome::Failed;
    }
}

void FileLock::Unlock() {
    if (m_fd >= 0) ::flock(m_fd, LOCK_UN);
}

}  // namespace vantor
