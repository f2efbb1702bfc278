#pragma once

// Builds expected record bytes straight from the record layouts, so golden
// tests never depend on the writers they check.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vantor::test {

class RecordBytes {
public:
    RecordBytes& Int(int32_t v) {
        for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    RecordBytes& Real(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        for (int i = 0; i < 8; ++i) m_bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
        return *this;
    }
    // A text field: capacity, then the text zero-padded to the capacity.
    RecordBytes& Text(int32_t capacity, const std::string& text) {
        Int(capacity);
        return Raw(text, static_cast<size_t>(capacity));
    }
    // Text bytes padded with zeros to size, without a length.
    RecordBytes& Raw(const std::string& text, size_t size) {
        std::vector<uint8_t> field(size, 0);
        std::memcpy(field.data(), text.data(), std::min(text.size(), size));
        m_bytes.insert(m_bytes.end(), field.begin(), field.end());
        return *this;
    }
    // A 100-byte text field whose bytes 96-99 hold a 32-bit value.
    RecordBytes& Overlaid(const std::string& text, int32_t value) {
        Int(100);
        std::vector<uint8_t> field(100, 0);
        std::memcpy(field.data(), text.data(), std::min<size_t>(text.size(), 96));
        for (int i = 0; i < 4; ++i) field[96 + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
        m_bytes.insert(m_bytes.end(), field.begin(), field.end());
        return *this;
    }
    // An array header as a fresh (5, 5) array writes it.
    RecordBytes& EmptyArray() { return Int(5).Int(0).Int(5).Int(5); }
    RecordBytes& Bytes(const std::vector<uint8_t>& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }

    const std::vector<uint8_t>& Get() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace vantor::test
