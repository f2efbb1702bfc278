#include "engine/wave_file_stream.h"

#include <cmath>

namespace vantor {

CWaveFileStream::CWaveFileStream(CWaveFile* source, uint32_t capacity)
    : IDataStream(capacity, kChunkBytes), m_source(source) {}

CWaveFileStream::~CWaveFileStream() { Join(-1); }

void CWaveFileStream::SetPosition(uint32_t frame, bool flush) {
    std::lock_guard indexLock(IndexLock());
    std::lock_guard lock(m_sourceLock);
    if (flush) FlushRing();
    m_source->Seek(frame);
}

void CWaveFileStream::SetGain(double gain) {
    if (!std::isfinite(gain)) return;
    std::lock_guard lock(m_sourceLock);
    m_gain = gain;
}

double CWaveFileStream::GetGain() const {
    std::lock_guard lock(m_sourceLock);
    return m_gain;
}

uint32_t CWaveFileStream::Generate(void* buffer, uint32_t bytes) {
    std::lock_guard lock(m_sourceLock);
    uint32_t blockAlign = m_source->GetBlockAlign();
    if (blockAlign == 0) return 0;
    uint32_t frames = m_source->ReadFrames(buffer, bytes / blockAlign);
    if (m_source->GetBitsPerSample() == 16 && m_source->GetChannels() == 2 && m_gain != 1.0)
        ApplyGainSaturating(static_cast<int16_t*>(buffer), static_cast<size_t>(frames) * 2, m_gain);
    return frames * blockAlign;
}

void ApplyGainSaturating(int16_t* samples, size_t count, double gain) {
    for (size_t i = 0; i < count; ++i) {
        double product = std::trunc(samples[i] * gain);
        // A product beyond the range saturates one short of full scale, the
        // level the wrap correction for gains up to 2 always gave.
        if (product > 32767.0) {
            samples[i] = 32766;
        } else if (product < -32768.0) {
            samples[i] = -32766;
        } else {
            samples[i] = static_cast<int16_t>(product);
        }
    }
}

}  // namespace vantor
