#pragma once

#include <cstdint>
#include <vector>

namespace vantor {

// Output byte stream that owns its buffer. The buffer grows in fixed steps,
// not by doubling: records are small and built once per write.
class CMemoryOStream {
public:
    CMemoryOStream(int32_t initialCapacity = 1024, int32_t growStep = 1024);
    ~CMemoryOStream();
    CMemoryOStream(const CMemoryOStream&) = delete;
    CMemoryOStream& operator=(const CMemoryOStream&) = delete;

    void Write(const void* data, int32_t count);

    const uint8_t* GetData() const { return m_buffer; }
    int32_t GetSize() const { return m_size; }
    int32_t GetCapacity() const { return m_capacity; }
    std::vector<uint8_t> ToVector() const { return {m_buffer, m_buffer + m_size}; }

private:
    uint8_t* m_buffer = nullptr;
    int32_t m_size = 0;
    int32_t m_capacity = 0;
    int32_t m_growStep;
};

}  // namespace vantor
