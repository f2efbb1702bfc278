#pragma once

#include <mutex>

#include "engine/data_stream.h"
#include "engine/wave_file.h"

namespace vantor {

// A stream over one wave file (auditioning a song, building its summary),
// with a gain on 16-bit stereo sources. Ends when the file does.
class CWaveFileStream : public IDataStream {
public:
    // The source is not owned and must outlive the stream.
    CWaveFileStream(CWaveFile* source, uint32_t capacity);
    ~CWaveFileStream() override;

    // Empties the ring when flush is set, then seeks the source to the frame.
    void SetPosition(uint32_t frame, bool flush) override;
    // Accepted only when finite.
    void SetGain(double gain);
    double GetGain() const;
    void SetPriority(int32_t priority) override { SetThreadPriority(priority); }
    bool IsSuspended() const override { return false; }

protected:
    uint32_t Generate(void* buffer, uint32_t bytes) override;

private:
    mutable std::mutex m_sourceLock;
    CWaveFile* m_source;
    double m_gain = 1.0;
};

// Multiplies 16-bit samples by a gain, truncating toward zero; products
// beyond the 16-bit range become +-32766 whatever the gain.
void ApplyGainSaturating(int16_t* samples, size_t count, double gain);

}  // namespace vantor
