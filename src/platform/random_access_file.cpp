#include "platform/random_access_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vantor {

RandomAccessFile::~RandomAccessFile() { Close(); }

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool RandomAccessFile::Open(const std::string& path, Access access) {
    Close();
    int flags = O_CLOEXEC;
    switch (access) {
        case Access::Read: flags |= O_RDONLY; break;
        case Access::ReadWrite: flags |= O_RDWR; break;
        case Access::ReadWriteCreate: flags |= O_RDWR | O_CREAT; break;
    }
    m_fd = ::open(path.c_str(), flags, 0666);
    return m_fd >= 0;
}

void RandomAccessFile::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool RandomAccessFile::IsRegular() const {
    struct stat st {};
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode);
}

int64_t RandomAccessFile::Size() const {
    struct stat st {};
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

size_t RandomAccessFile::ReadAt(int64_t offset, void* data, size_t size) const {
    if (offset < 0 || m_fd < 0) return 0;
    auto* bytes = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(m_fd, bytes + done, size - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

bool RandomAccessFile::WriteAt(int64_t offset, const void* data, size_t size) {
    if (offset < 0 || m_fd < 0) return false;
    auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(m_fd, bytes + done, size - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool RandomAccessFile::Truncate(int64_t length) { return length >= 0 && m_fd >= 0 && ::ftruncate(m_fd, length) == 0; }

bool RandomAccessFile::Sync() { return m_fd >= 0 && ::fdatasync(m_fd) == 0; }

void RandomAccessFile::AdviseSequential() {
    if (m_fd >= 0) ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

}  // namespace vantor
