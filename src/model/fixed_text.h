#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "model/value_io.h"

namespace vantor {

// A text field of fixed capacity: a zero-terminated single-byte string in a
// buffer of N bytes (so at most N - 1 characters), stored as N and the whole
// buffer.
template <int32_t N>
class FixedText {
public:
    static constexpr int32_t kCapacity = N;

    FixedText() = default;
    explicit FixedText(std::string_view text) { Set(text); }

    // Longer texts are cut to the capacity.
    void Set(std::string_view text) {
        m_buffer.fill('\0');
        size_t n = std::min(text.size(), static_cast<size_t>(N - 1));
        std::memcpy(m_buffer.data(), text.data(), n);
    }
    void Clear() { m_buffer.fill('\0'); }

    const char* c_str() const { return m_buffer.data(); }
    std::string str() const { return std::string(m_buffer.data()); }
    bool empty() const { return m_buffer[0] == '\0'; }
    char* data() { return m_buffer.data(); }

    bool operator==(const FixedText& other) const { return std::strcmp(c_str(), other.c_str()) == 0; }
    bool operator==(std::string_view text) const { return text == c_str(); }

    void Write(CMemoryOStream& out) const { WriteText(out, m_buffer.data(), N); }
    // False when the stored length did not fit (see ReadText).
    bool Read(CMemoryIStream& in) { return ReadText(in, m_buffer.data(), N); }

private:
    std::array<char, N> m_buffer{};
};

}  // namespace vantor
