#pragma once

#include "model/serializable.h"

namespace vantor {

// Clipboard formats that carry set data: a segment design's record, and a
// set clip's record.
inline constexpr const char* kSegmentDesignFormat = "VantorSegment Design";
inline constexpr const char* kSetClipFormat = "VantorSet Clip";

// Registers both formats with the process clipboard.
void RegisterSetClipboardFormats();

// Empties the clipboard and puts the object's record on it under the format.
bool PutOnClipboard(const ISerializable& object, const char* format);

// Reads the object from the clipboard's block of the format; false when the
// clipboard holds nothing of that format.
bool ReadFromClipboard(const char* format, ISerializable& object);

}  // namespace vantor
