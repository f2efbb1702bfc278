#pragma once

#include <cstdint>
#include <cstddef>
#include <vector>

#include "envelope_cursor.h"
#include "vantor/effect_api.h"

namespace vantor::tonebank {

// y[n] = x[n] + d * y[n - delay] per channel, with one delay line per
// channel and one shared write offset. Decay and delay are held for a round;
// rounds end where an envelope span ends and at every multiple of 2560 frames
// of the position, never at a block's end, so the output does not depend on
// how the caller cuts the stream into blocks.
class CEchoProcessor final : public IEffectProcessor {
public:
    static constexpr int64_t kRoundFrames = 2560;

    explicit CEchoProcessor(bool flanger);

    const char* GetName() override { return m_flanger ? "Flanger" : "Echo"; }
    int Init(int bitsPerSample, int channels) override;
    int Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries, void* buffer,
                unsigned int byteCount) override;
    bool SetParameterLevel(int, int, const char*) override { return false; }
    void Delete() override { delete this; }

private:
    void StartRound(int64_t position);

    bool m_flanger;
    int m_bits = 16;
    int m_channels = 2;
    std::vector<int16_t> m_lines[2];
    size_t m_write = 0;  // shared offset into both lines, in samples
    EnvelopeCursor m_decay;
    EnvelopeCursor m_delay;
    double m_roundDecay = 0.6;
    size_t m_roundDelay = 0;  // samples
    bool m_roundOpen = false;
    int64_t m_nextPosition = 0;
};

}  // namespace vantor::tonebank
