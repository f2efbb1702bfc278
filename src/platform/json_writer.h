#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A small streaming JSON writer for the command line's --json listings.
// Keys and values are written in call order; commas and nesting are tracked.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view value);
    JsonWriter& Int(int64_t value);
    JsonWriter& Number(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    template <class T>
    JsonWriter& Field(std::string_view key, const T& value) {
        Key(key);
        return Value(value);
    }

    const std::string& Text() const { return m_text; }

private:
    JsonWriter& Value(std::string_view v) { return String(v); }
    JsonWriter& Value(const char* v) { return String(v); }
    JsonWriter& Value(const std::string& v) { return String(v); }
    JsonWriter& Value(bool v) { return Bool(v); }
    JsonWriter& Value(double v) { return Number(v); }
    JsonWriter& Value(int32_t v) { return Int(v); }
    JsonWriter& Value(uint32_t v) { return Int(v); }
    JsonWriter& Value(int64_t v) { return Int(v); }
    JsonWriter& Value(uint64_t v) { return Int(static_cast<int64_t>(v)); }

    void BeforeValue();

    std::string m_text;
    std::vector<bool> m_first;  // per open container: nothing written yet
    bool m_afterKey = false;
};

}  // namespace vantor
