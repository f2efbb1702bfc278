#pragma once

#include <cstddef>
#include <cstdint>

namespace vantor {

// One open file of a record store, read and written at explicit offsets.
class IStoreFile {
public:
    virtual ~IStoreFile() = default;
    // The file's length in bytes, or -1 when it cannot be told.
    virtual int64_t Size() = 0;
    // Bytes read from offset (fewer at the end of the file, 0 on an error).
    virtual size_t ReadAt(int64_t offset, void* data, size_t size) = 0;
    // True when every byte was written.
    virtual bool WriteAt(int64_t offset, const void* data, size_t size) = 0;
    virtual bool Truncate(int64_t length) = 0;
    // Makes every write so far durable.
    virtual bool Sync() = 0;
};

}  // namespace vantor
