#pragma once

#include <cstdint>

#include "platform/result.h"

namespace vantor {

class CMusicSet;

// The engine renders 16-bit little-endian stereo PCM at 44100 Hz only, with
// four bytes a frame. Everything that divides by, indexes with or allocates
// from a set's stated format checks it here first.
Status CheckRenderFormat(int32_t sampleRate, int32_t channels, int32_t bitsPerSample, int32_t blockAlign);
Status CheckRenderFormat(const CMusicSet& set);

}  // namespace vantor
