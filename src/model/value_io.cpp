#include "model/value_io.h"

#include <bit>
#include <cstring>

namespace vantor {

void WriteInt32(CMemoryOStream& out, int32_t value) {
    uint8_t bytes[4];
    StoreLE32(bytes, static_cast<uint32_t>(value));
    out.Write(bytes, 4);
}

void WriteDouble(CMemoryOStream& out, double value) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    out.Write(bytes, 8);
}

void WriteByte(CMemoryOStream& out, uint8_t value) { out.Write(&value, 1); }

void WriteText(CMemoryOStream& out, const char* buffer, int32_t capacity) {
    WriteInt32(out, capacity);
    if (capacity <= 0) return;
    // Only the text up to its terminator is copied; the rest is zero so that
    // equal texts always give equal bytes.
    size_t length = strnlen(buffer, static_cast<size_t>(capacity));
    out.Write(buffer, static_cast<int32_t>(length));
    static const char zeros[256] = {};
    for (int32_t left = capacity - static_cast<int32_t>(length); left > 0;) {
        int32_t n = left < 256 ? left : 256;
        out.Write(zeros, n);
        left -= n;
    }
}

int32_t ReadInt32(CMemoryIStream& in) {
    uint8_t bytes[4] = {};
    in.Read(bytes, 4);
    return static_cast<int32_t>(LoadLE32(bytes));
}

double ReadDouble(CMemoryIStream& in) {
    uint8_t bytes[8] = {};
    in.Read(bytes, 8);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

uint8_t ReadByte(CMemoryIStream& in) {
    uint8_t value = 0;
    in.Read(&value, 1);
    return value;
}

bool ReadText(CMemoryIStream& in, char* buffer, int32_t capacity) {
    int32_t length = ReadInt32(in);
    if (static_cast<uint32_t>(length) > static_cast<uint32_t>(capacity)) {
        in.MarkDamaged();
        return false;
    }
    in.Read(buffer, length);
    if (capacity > 0) buffer[capacity - 1] = '\0';
    return true;
}

}  // namespace vantor
