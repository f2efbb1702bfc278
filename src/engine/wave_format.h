#pragma once

#include <cstdint>
#include <vector>

namespace vantor {

// The wave format record: the 18 bytes of a `fmt ` chunk (format tag,
// channels, samples per second, average bytes per second, block align, bits
// per sample, extra size) and the extra bytes that follow them.
struct WaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint32_t avgBytesPerSec = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    std::vector<uint8_t> extra;

    static constexpr uint16_t kTagPcm = 1;
    static constexpr uint16_t kTagMpegLayer3 = 85;

    // 16-bit stereo PCM at 44100 Hz, the format everything in a set uses.
    bool IsStandard() const {
        return formatTag == kTagPcm && channels == 2 && samplesPerSec == 44100 && blockAlign == 4 &&
               bitsPerSample == 16;
    }
};

}  // namespace vantor
