#include "platform/riff_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/little_endian.h"

namespace vantor {

namespace {

bool HasFormType(uint32_t id) { return id == kFourCCRiff || id == kFourCCList; }

}  // namespace

RiffFile::~RiffFile() { Close(); }

RiffResult RiffFile::Open(const std::string& path, Mode mode, size_t bufferBytes) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case Mode::ReadWrite: flags |= O_RDWR; break;
    }
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return kRiffCannotOpen;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kRiffCannotOpen;
    }
    try {
        m_buffer.assign(std::max<size_t>(bufferBytes, 16), 0);
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return kRiffNoMemory;
    }
    m_fd = fd;
    m_mode = mode;
    m_bufferStart = m_bufferEnd = 0;
    m_writing = false;
    m_position = 0;
    return kRiffOk;
}

RiffResult RiffFile::Close() {
    if (m_fd < 0) return kRiffOk;
    bool flushed = Flush();
    ::close(m_fd);
    m_fd = -1;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    return flushed ? kRiffOk : kRiffCannotWrite;
}

bool RiffFile::Flush() {
    if (m_fd < 0) return false;
    if (!m_writing) return true;
    size_t done = 0;
    bool ok = true;
    while (done < m_bufferEnd) {
        ssize_t n = ::write(m_fd, m_buffer.data() + done, m_bufferEnd - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    m_bufferStart = m_bufferEnd = 0;
    m_writing = false;
    return ok;
}

bool RiffFile::FillBuffer() {
    m_bufferStart = m_bufferEnd = 0;
    for (;;) {
        ssize_t n = ::read(m_fd, m_buffer.data(), m_buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        m_bufferEnd = static_cast<size_t>(n);
        return true;
    }
}

int64_t RiffFile::Read(void* buffer, size_t bytes) {
    if (m_fd < 0 || m_mode == Mode::Create) return -1;
    if (m_writing && !Flush()) return -1;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < bytes) {
        if (m_bufferStart == m_bufferEnd && !FillBuffer()) break;
        size_t n = std::min(bytes - done, m_bufferEnd - m_bufferStart);
        std::memcpy(out + done, m_buffer.data() + m_bufferStart, n);
        m_bufferStart += n;
        done += n;
    }
    m_position += static_cast<int64_t>(done);
    return static_cast<int64_t>(done);
}

bool RiffFile::Write(const void* buffer, size_t bytes) {
    if (m_fd < 0 || m_mode == Mode::Read) return false;
    if (!m_writing) {
        // Unread bytes in the buffer mean the descriptor is ahead of us.
        if (m_bufferEnd != m_bufferStart && ::lseek(m_fd, m_position, SEEK_SET) < 0) return false;
        m_bufferStart = m_bufferEnd = 0;
        m_writing = true;
    }
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (bytes > 0) {
        if (m_bufferEnd == m_buffer.size()) {
            if (!Flush()) return false;
            m_writing = true;
        }
        size_t n = std::min(bytes, m_buffer.size() - m_bufferEnd);
        std::memcpy(m_buffer.data() + m_bufferEnd, in, n);
        m_bufferEnd += n;
        in += n;
        bytes -= n;
        m_position += static_cast<int64_t>(n);
    }
    return true;
}

int64_t RiffFile::Seek(int64_t offset, int whence) {
    if (m_fd < 0) return -1;
    if (m_writing && !Flush()) return -1;
    int64_t target;
    if (whence == SEEK_SET) {
        target = offset;
    } else if (whence == SEEK_CUR) {
        target = m_position + offset;
    } else {
        off_t end = ::lseek(m_fd, 0, SEEK_END);
        if (end < 0) return -1;
        m_bufferStart = m_bufferEnd = 0;
        target = end + offset;
    }
    if (target < 0) return -1;
    // A target inside the read buffer costs no system call.
    int64_t bufferBase = m_position - static_cast<int64_t>(m_bufferStart);
    if (m_bufferEnd > 0 && target >= bufferBase && target <= bufferBase + static_cast<int64_t>(m_bufferEnd)) {
        m_bufferStart = static_cast<size_t>(target - bufferBase);
        m_position = target;
        return target;
    }
    if (::lseek(m_fd, target, SEEK_SET) < 0) return -1;
    m_bufferStart = m_bufferEnd = 0;
    m_position = target;
    return target;
}

bool RiffFile::ReadExact(void* buffer, size_t bytes) {
    return Read(buffer, bytes) == static_cast<int64_t>(bytes);
}

RiffResult RiffFile::Descend(RiffChunk& chunk, const RiffChunk* parent, Find find) {
    if (m_fd < 0) return kRiffCannotRead;
    const int64_t parentEnd =
        parent ? static_cast<int64_t>(parent->dataOffset) + parent->size : INT64_MAX;
    for (;;) {
        int64_t start = m_position;
        if (start + 8 > parentEnd) return kRiffChunkNotFound;
        uint8_t header[8];
        if (!ReadExact(header, sizeof header)) return kRiffChunkNotFound;
        RiffChunk found;
        found.id = LoadLE32(header);
        found.size = LoadLE32(header + 4);
        found.dataOffset = static_cast<uint64_t>(start) + 8;
        if (HasFormType(found.id)) {
            uint8_t form[4];
            if (!ReadExact(form, sizeof form)) return kRiffChunkNotFound;
            found.formType = LoadLE32(form);
        }
        bool match = find == Find::Next || (find == Find::Chunk && found.id == chunk.id) ||
                     (find == Find::Riff && found.id == kFourCCRiff && found.formType == chunk.formType);
        if (match) {
            chunk = found;
            return kRiffOk;
        }
        int64_t next = static_cast<int64_t>(found.dataOffset) + found.size + (found.size & 1);
        if (next > parentEnd || Seek(next, SEEK_SET) < 0) return kRiffChunkNotFound;
    }
}

RiffResult RiffFile::Ascend(RiffChunk& chunk) {
    if (m_fd < 0) return kRiffCannotRead;
    if (chunk.created && m_mode != Mode::Read) {
        int64_t end = m_position;
        if (end < static_cast<int64_t>(chunk.dataOffset) || end - static_cast<int64_t>(chunk.dataOffset) > UINT32_MAX)
            return kRiffCannotWrite;
        chunk.size = static_cast<uint32_t>(end - static_cast<int64_t>(chunk.dataOffset));
        if (chunk.size & 1) {
            const uint8_t pad = 0;
            if (!Write(&pad, 1)) return kRiffCannotWrite;
        }
        uint8_t size[4];
        StoreLE32(size, chunk.size);
        if (Seek(static_cast<int64_t>(chunk.dataOffset) - 4, SEEK_SET) < 0 || !Write(size, 4)) return kRiffCannotWrite;
        chunk.created = false;
    }
    int64_t next = static_cast<int64_t>(chunk.dataOffset) + chunk.size + (chunk.size & 1);
    return Seek(next, SEEK_SET) < 0 ? kRiffCannotRead : kRiffOk;
}

RiffResult RiffFile::CreateChunk(RiffChunk& chunk) {
    if (m_fd < 0 || m_mode == Mode::Read) return kRiffCannotWrite;
    uint8_t header[12];
    StoreLE32(header, chunk.id);
    StoreLE32(header + 4, chunk.size);
    StoreLE32(header + 8, chunk.formType);
    size_t bytes = HasFormType(chunk.id) ? 12 : 8;
    chunk.dataOffset = static_cast<uint64_t>(m_position) + 8;
    if (!Write(header, bytes)) return kRiffCannotWrite;
    chunk.created = true;
    return kRiffOk;
}

}  // namespace vantor
