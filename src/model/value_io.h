#pragma once

#include <cstdint>

#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "platform/little_endian.h"

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

}  // namespace vantor
