#pragma once

#include <cstdint>

namespace vantor {

// Input byte stream over a block the caller owns. Reading never fails: past
// the end it copies fewer bytes or none, and the missing values read as zero.
// A reader that finds a record it cannot trust (a text longer than its field)
// marks the stream damaged; everything after that reads as the end.
class CMemoryIStream {
public:
    CMemoryIStream(const void* data, int32_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(size > 0 ? size : 0) {}

    // Copies min(count, remaining) bytes; returns how many were copied.
    int32_t Read(void* data, int32_t count);
    // Steps back over bytes already read (never before the start).
    void StepBack(int32_t count);

    int32_t GetPosition() const { return m_position; }
    int32_t GetSize() const { return m_size; }
    int32_t GetRemaining() const { return m_size - m_position; }

    void MarkDamaged() {
        m_damaged = true;
        m_position = m_size;
    }
    bool IsDamaged() const { return m_damaged; }
    // True once a read asked for more bytes than were left.
    bool RanShort() const { return m_ranShort; }

private:
    const uint8_t* m_data;
    int32_t m_size;
    int32_t m_position = 0;
    bool m_damaged = false;
    bool m_ranShort = false;
};

}  // namespace vantor
