#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantor {

// An open file read and written at explicit offsets, without a shared file
// position, so that one open file serves callers that jump about (a decoder
// seeking, a store reading records, a summary read by level). Closed when it
// goes away.
class RandomAccessFile {
public:
    enum class Access {
        Read,
        ReadWrite,
        ReadWriteCreate,  // created (mode 0666 less the umask) when missing
    };

    RandomAccessFile() = default;
    ~RandomAccessFile();
    RandomAccessFile(RandomAccessFile&& other) noexcept;
    RandomAccessFile& operator=(RandomAccessFile&& other) noexcept;
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;

    // Closes what was open first; false when the file cannot be had.
    bool Open(const std::string& path, Access access);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // False also for a directory or a device opened by its name.
    bool IsRegular() const;
    // The length in bytes, or -1 when it cannot be told.
    int64_t Size() const;
    // Bytes read from offset: fewer at the end of the file, 0 on an error or
    // a negative offset.
    size_t ReadAt(int64_t offset, void* data, size_t size) const;
    // True when every byte was written.
    bool WriteAt(int64_t offset, const void* data, size_t size);
    bool Truncate(int64_t length);
    // Makes every write so far durable: the data and the size needed to read
    // it back; other metadata (times) need not reach the disk.
    bool Sync();
    // Tells the system the file will be read from start to end, so it reads
    // ahead; a hint only.
    void AdviseSequential();

private:
    int m_fd = -1;
};

}  // namespace vantor
