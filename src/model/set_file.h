#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/music_set.h"
#include "model/ref_ptr.h"

namespace vantor {

// The record of any persistent object, written into a stream that grows in
// steps of 1024 bytes.
std::vector<uint8_t> SerializeToBytes(const ISerializable& object);

// Fills the object from a block of bytes (the object's own Deserialize).
void DeserializeFromBytes(ISerializable& object, const uint8_t* data, size_t size);

// A set file is the bare set record. Null when the file cannot be read; short
// or foreign files give partly filled sets.
RefPtr<CMusicSet> ReadSetFile(const std::string& path);

// Replaces the file with the set's record without ever leaving a half-written
// file behind; false when the write failed (the old file is then untouched).
bool WriteSetFile(const CMusicSet& set, const std::string& path);

}  // namespace vantor
