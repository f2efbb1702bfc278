#pragma once

#include <atomic>
#include <cstdint>

#include "envelope_cursor.h"
#include "vantor/effect_api.h"

namespace vantor::tonebank {

// Multiplies by a gain that follows the envelope in steps: within a span the
// target gain runs in a straight line (in gain, at 0.0001 per k frames), and
// the applied gain is fixed for a round. Rounds end one frame after a span's
// end and at every multiple of 2560 frames of the position, never at a
// block's end, so the output does not depend on how the stream is cut.
class CVolumeProcessor final : public IEffectProcessor {
public:
    static constexpr int64_t kRoundFrames = 2560;

    explicit CVolumeProcessor(IEffect* type) : m_type(type) {}

    const char* GetName() override { return "Volume"; }
    int Init(int bitsPerSample, int channels) override;
    int Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries, void* buffer,
                unsigned int byteCount) override;
    bool SetParameterLevel(int level, int range, const char* parameterName) override;
    void Delete() override { delete this; }

private:
    void LoadSpan();
    double TargetAt(int64_t position) const;

    IEffect* m_type;
    int m_bits = 16;
    int m_channels = 2;
    EnvelopeCursor m_envelope;
    // The current span in gains: its start, its end and the slope between.
    double m_startGain = 1.0;
    double m_endGain = 1.0;
    double m_slope = 0.0;
    double m_current = 1.0;
    bool m_first = true;
    bool m_roundOpen = false;
    int64_t m_nextPosition = 0;
    int32_t m_factor = 8192;         // trunc(current x 8192), applied to every sample
    int32_t m_appliedOverride = -1;
    // The live control's factor, -1 while there is none.
    std::atomic<int32_t> m_override{-1};
};

}  // namespace vantor::tonebank
