#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vantor::test {

// Builds expected file bytes by hand, value by value, independently of the
// writers under test.
class ByteBuilder {
public:
    ByteBuilder& I32(int64_t value) {
        auto v = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    ByteBuilder& F64(double value) {
        uint64_t bits;
        std::memcpy(&bits, &value, 8);
        for (int i = 0; i < 8; ++i) m_bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
        return *this;
    }
    ByteBuilder& U8(uint8_t value) {
        m_bytes.push_back(value);
        return *this;
    }
    // A fixed text field: the capacity, then the text zero-filled to it.
    ByteBuilder& Text(const std::string& text, int32_t capacity) {
        I32(capacity);
        return Raw(text, capacity);
    }
    // The text zero-filled to size, without a length.
    ByteBuilder& Raw(const std::string& text, size_t size) {
        for (size_t i = 0; i < size; ++i) m_bytes.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
        return *this;
    }
    ByteBuilder& Append(const std::vector<uint8_t>& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // Array header: capacity, count, growth step, initial capacity.
    ByteBuilder& ArrayHeader(int32_t capacity, int32_t count, int32_t step, int32_t initial) {
        return I32(capacity).I32(count).I32(step).I32(initial);
    }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
};

// Equal bytes, or a failure naming the first offset that differs.
inline ::testing::AssertionResult SameBytes(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected) {
    size_t n = std::min(actual.size(), expected.size());
    for (size_t i = 0; i < n; ++i) {
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure() << "first difference at offset " << i << ": got "
                                                 << int(actual[i]) << ", expected " << int(expected[i]);
    }
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "sizes differ: got " << actual.size() << ", expected "
                                             << expected.size();
    return ::testing::AssertionSuccess();
}

}  // namespace vantor::test
