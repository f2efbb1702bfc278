#include "engine/set_format.h"

#include <cstdio>

#include "model/music_set.h"

namespace vantor {

Status CheckRenderFormat(int32_t sampleRate, int32_t channels, int32_t bitsPerSample, int32_t blockAlign) {
    if (sampleRate == 44100 && channels == 2 && bitsPerSample == 16 && blockAlign == 4) return Status::Success();
    char text[256];
    std::snprintf(text, sizeof text,
                  "The set states %d Hz, %d channels, %d bits and a block align of %d.\n"
                  "Only 16-bit stereo PCM at 44100 Hz (block align 4) can be played, mixed or edited.",
                  sampleRate, channels, bitsPerSample, blockAlign);
    return Refusal{text, "Set Format", MessageIcon::Error};
}

Status CheckRenderFormat(const CMusicSet& set) {
    return CheckRenderFormat(set.GetSampleRate(), set.GetChannels(), set.GetBitsPerSample(), set.GetBlockAlign());
}

}  // namespace vantor
