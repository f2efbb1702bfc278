#include "model/memory_istream.h"

#include <algorithm>
#include <cstring>

namespace vantor {

int32_t CMemoryIStream::Read(void* data, int32_t count) {
    if (count <= 0) return 0;
    int32_t n = std::min(count, m_size - m_position);
    if (n < count) m_ranShort = true;
    if (n <= 0) return 0;
    std::memcpy(data, m_data + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

void CMemoryIStream::StepBack(int32_t count) {
    if (m_damaged || count <= 0) return;
    m_position = std::max(0, m_position - count);
}

}  // namespace vantor
