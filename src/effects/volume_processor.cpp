#include "volume_processor.h"

#include <algorithm>
#include <cmath>

#include "effect_math.h"
#include "volume_effect.h"

namespace vantor::tonebank {

namespace {

constexpr double kStep = 0.0001;
constexpr double kMaxStepFrames = 32766;  // k is a signed 16-bit count

int32_t FactorOf(double gain) {
    double factor = std::trunc(gain * 8192);
    if (!(factor == factor)) return 0;
    return factor >= 32767 ? 32767 : factor <= -32768 ? -32768 : static_cast<int32_t>(factor);
}

}  // namespace

int CVolumeProcessor::Init(int bitsPerSample, int channels) {
    m_bits = bitsPerSample;
    m_channels = channels;
    m_first = true;
    m_roundOpen = false;
    return 1;
}

bool CVolumeProcessor::SetParameterLevel(int level, int range, const char*) {
    double value = m_type->PositionToValue("Level", range - level, range);
    m_override.store(FactorOf(CVolumeEffect::GainOfLevel(value)), std::memory_order_relaxed);
    return true;
}

void CVolumeProcessor::LoadSpan() {
    m_startGain = CVolumeEffect::GainOfLevel(m_envelope.StartValue());
    m_endGain = CVolumeEffect::GainOfLevel(m_envelope.EndValue());
    m_slope = 0.0;
    const double frames = static_cast<double>(m_envelope.End()) - static_cast<double>(m_envelope.Start());
    if (m_endGain == m_startGain || !(frames > 0)) return;
    // One step of 0.0001 every k frames. k saturates rather than wrapping
    // (a wrapped count would send a slow ramp off in a random direction);
    // k = 0, a ramp steeper than one step per frame, holds the start gain.
    double k = std::trunc(frames / (m_endGain - m_startGain) * kStep);
    k = std::clamp(k, -kMaxStepFrames, kMaxStepFrames);
    if (k != 0) m_slope = kStep / k;
}

double CVolumeProcessor::TargetAt(int64_t position) const {
    double target = m_startGain + m_slope * (static_cast<double>(position) - static_cast<double>(m_envelope.Start()));
    // Truncating k makes the ramp a little steep; it stops at the end gain.
    return std::clamp(target, std::min(m_startGain, m_endGain), std::max(m_startGain, m_endGain));
}

int CVolumeProcessor::Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries,
                              void* buffer, unsigned int byteCount) {
    if (m_bits != 16 || m_channels != 2 || !buffer) return 0;
    if (entryCount != 1 || !entries || !entries[0]) return 1;
    m_envelope.Bind(entries[0], ratio);
    if (m_envelope.Present()) LoadSpan();

    auto* bytes = static_cast<uint8_t*>(buffer);
    const uint32_t frames = byteCount / 4;
    for (uint32_t i = 0; i < frames; ++i) {
        const int64_t a = static_cast<int64_t>(position) + i;
        const int32_t live = m_override.load(std::memory_order_relaxed);
        const bool continuing = m_roundOpen && a == m_nextPosition;
        bool spanEnded = live < 0 && m_envelope.Present() && a > m_envelope.End();
        if (!continuing || a % kRoundFrames == 0 || spanEnded || live != m_appliedOverride) {
            // The round that ends here leaves the gain where its ramp arrived.
            if (continuing && live < 0 && m_envelope.Present()) m_current = TargetAt(a);
            if (spanEnded) {
                m_envelope.Advance(a);
                if (!m_envelope.Present()) {
                    m_roundOpen = false;
                    return 1;  // no further span: the rest of the block stays as it is
                }
                LoadSpan();
            }
            if (live >= 0) {
                m_current = live / 8192.0;
                m_factor = live;
            } else {
                if (!m_envelope.Present()) return 1;
                double target = TargetAt(a);
                if (m_first || std::fabs(m_current - target) < kStep) m_current = target;
                m_factor = FactorOf(m_current);
            }
            m_appliedOverride = live;
            m_first = false;
            m_roundOpen = true;
        }
        for (int c = 0; c < 2; ++c) {
            uint8_t* sample = bytes + i * 4 + c * 2;
            int32_t v = (static_cast<int32_t>(LoadSample(sample)) * m_factor) >> 13;
            StoreSample(sample, static_cast<int16_t>(std::clamp(v, -32768, 32767)));
        }
        m_nextPosition = a + 1;
    }
    return 1;
}

}  // namespace vantor::tonebank
