#include "panning_processor.h"

#include "effect_math.h"

namespace vantor::tonebank {

int CPanningProcessor::Init(int bitsPerSample, int) {
    m_bits = bitsPerSample;
    return 1;
}

int CPanningProcessor::Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries,
                               void* buffer, unsigned int byteCount) {
    if (m_bits != 16 || !buffer) return 0;
    if (entryCount != 1 || !entries || !entries[0]) return 1;
    m_envelope.Bind(entries[0], ratio);
    auto* bytes = static_cast<uint8_t*>(buffer);
    const uint32_t frames = byteCount / 4;
    for (uint32_t i = 0; i < frames; ++i) {
        const int64_t a = static_cast<int64_t>(position) + i;
        m_envelope.Advance(a);
        if (!m_envelope.Present()) break;  // no further span: the rest stays as it is
        double v = m_envelope.ValueAt(a);
        v = v > 19 ? 19 : v < -19 ? -19 : (v == v ? v : 0);
        double u = (v + 19) / 38, w = (19 - v) / 38;
        u = u < 0 ? 0 : u > 1 ? 1 : u;
        w = w < 0 ? 0 : w > 1 ? 1 : w;
        uint8_t* frame = bytes + i * 4;
        const double first = LoadSample(frame), second = LoadSample(frame + 2);
        if (m_inverter) {
            StoreSample(frame, static_cast<int16_t>(second * w + first * u));
            StoreSample(frame + 2, static_cast<int16_t>(second * u + first * w));
        } else {
            if (u < 0.5) StoreSample(frame, static_cast<int16_t>(first * 2 * u));
            if (w < 0.5) StoreSample(frame + 2, static_cast<int16_t>(second * 2 * w));
        }
    }
    return 1;
}

}  // namespace vantor::tonebank
