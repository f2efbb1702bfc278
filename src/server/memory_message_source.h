#pragma once

#include <cstring>

#include "server/message_reader.h"

namespace vantor {

// Messages off a block of bytes the caller owns; the end of the block is the
// peer going away.
class MemoryMessageSource : public IMessageSource {
public:
    MemoryMessageSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    Read WaitForMessage() override { return m_position < m_size ? Read::Ok : Read::Closed; }
    Read ReadExact(void* data, size_t size) override {
        if (size > m_size - m_position) {
            m_position = m_size;
            return Read::Closed;
        }
        if (size) std::memcpy(data, m_data + m_position, size);
        m_position += size;
        return Read::Ok;
    }
    size_t GetPosition() const { return m_position; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

}  // namespace vantor
