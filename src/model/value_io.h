#pragma once

#include <cstdint>

#include "model/memory_istream.h"
#include "model/memory_ostream.h"

namespace vantor {

// The value encodings of every record: little-endian 32-bit integers, IEEE 754
// binary64 reals, and fixed text fields written as their capacity followed by
// the whole buffer. No tags, no padding.

void WriteInt32(CMemoryOStream& out, int32_t value);
void WriteDouble(CMemoryOStream& out, double value);
void WriteByte(CMemoryOStream& out, uint8_t value);
// Writes the capacity, then the text and zero bytes up to the capacity.
void WriteText(CMemoryOStream& out, const char* buffer, int32_t capacity);

// Bytes missing at the end of the stream read as zero.
int32_t ReadInt32(CMemoryIStream& in);
double ReadDouble(CMemoryIStream& in);
uint8_t ReadByte(CMemoryIStream& in);
// Reads a stored length N, then N bytes into the buffer, which stays
// terminated. A length larger than the capacity is damaged input: nothing is
// copied, the stream is marked damaged and false is returned.
bool ReadText(CMemoryIStream& in, char* buffer, int32_t capacity);

// Little-endian helpers over raw bytes, for files that are not streams.
inline uint32_t LoadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace vantor
