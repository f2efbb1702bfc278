#include "platform/json_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantor {

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back()) m_text += ',';
        m_first.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    m_text += '{';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    m_text += '}';
    if (!m_first.empty()) m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    m_text += '[';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    m_text += ']';
    if (!m_first.empty()) m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    String(key);
    m_text += ':';
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    m_text += '"';
    for (unsigned char c : value) {
        switch (c) {
            case '"': m_text += "\\\""; break;
            case '\\': m_text += "\\\\"; break;
            case '\n': m_text += "\\n"; break;
            case '\r': m_text += "\\r"; break;
            case '\t': m_text += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    m_text += buf;
                } else if (c >= 0x80) {
                    // Stored text is single-byte (Latin-1); JSON wants UTF-8.
                    m_text += static_cast<char>(0xC0 | (c >> 6));
                    m_text += static_cast<char>(0x80 | (c & 0x3F));
                } else {
                    m_text += static_cast<char>(c);
                }
        }
    }
    m_text += '"';
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
    BeforeValue();
    m_text += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    // Shortest text that reads back as the same double.
    for (int precision = 6; precision < 17; ++precision) {
        char shorter[32];
        std::snprintf(shorter, sizeof shorter, "%.*g", precision, value);
        if (std::strtod(shorter, nullptr) == value) {
            m_text += shorter;
            return *this;
        }
    }
    m_text += buf;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    m_text += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    m_text += "null";
    return *this;
}

}  // namespace vantor
