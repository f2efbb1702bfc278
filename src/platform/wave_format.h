#pragma once

#include <cstdint>
#include <vector>

namespace vantor {

// The wave format record: the 18 bytes of a `fmt ` chunk (format tag,
// channels, samples per second, average bytes per second, block align, bits
// per sample, extra size) and the extra bytes that follow them. Files, streams
// and audio buffers all describe their samples with it.
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

    // The byte that silence is made of: 8-bit samples are offset by 128.
    uint8_t SilenceByte() const { return bitsPerSample == 8 ? 0x80 : 0; }

    // What the audio devices play: 8- or 16-bit PCM, one or two channels,
    // with consistent derived fields. Every buffer size the engine uses is
    // then a whole number of frames and every 4-byte step a whole number of
    // frames. The extra bytes play no part.
    bool IsPlayable() const {
        return formatTag == kTagPcm && (channels == 1 || channels == 2) &&
               (bitsPerSample == 8 || bitsPerSample == 16) && blockAlign == channels * bitsPerSample / 8 &&
               samplesPerSec >= 1000 && samplesPerSec <= 192000 && avgBytesPerSec == samplesPerSec * blockAlign;
    }
};

}  // namespace vantor
