#include "model/memory_ostream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace vantor {

CMemoryOStream::CMemoryOStream(int32_t initialCapacity, int32_t growStep)
    : m_growStep(growStep > 0 ? growStep : 1024) {
    if (initialCapacity > 0) {
        m_buffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(initialCapacity)));
        if (!m_buffer) throw std::bad_alloc();
        m_capacity = initialCapacity;
    }
}

CMemoryOStream::~CMemoryOStream() { std::free(m_buffer); }

void CMemoryOStream::Write(const void* data, int32_t count) {
    if (count <= 0) return;
    if (m_capacity - m_size < count) {
        // As many whole steps as the write needs, in one reallocation.
        int64_t missing = static_cast<int64_t>(count) - (m_capacity - m_size);
        int64_t steps = (missing + m_growStep - 1) / m_growStep;
        int64_t capacity = m_capacity + steps * m_growStep;
        if (capacity > INT32_MAX) throw std::bad_alloc();
        auto* grown = static_cast<uint8_t*>(std::realloc(m_buffer, static_cast<size_t>(capacity)));
        if (!grown) throw std::bad_alloc();
        m_buffer = grown;
        m_capacity = static_cast<int32_t>(capacity);
    }
    std::memcpy(m_buffer + m_size, data, static_cast<size_t>(count));
    m_size += count;
}

}  // namespace vantor
