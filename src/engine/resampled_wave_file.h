#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/source_frame_stepper.h"
#include "engine/wave_file.h"

namespace vantor {

class CSongProfile;

// A song read at a rate ratio r, the way a turntable plays faster or slower:
// output frame n is source frame trunc(n / r), repeated when r > 1 and
// skipped when r < 1, with no interpolation. Frames the source does not have
// are silence.
class CResampledWaveFile : public CWaveFile {
public:
    CResampledWaveFile(const std::string& fileName, int bufferMilliseconds);

    // Restarts at output position 0 with the new ratio; ratios that are not
    // finite and positive are ignored.
    void SetRatio(double ratio);
    double GetRatio() const override { return m_ratio; }
    uint32_t ReadFrames(void* buffer, uint32_t frames) override;
    uint32_t Tell() override { return m_position; }
    bool Seek(uint32_t frame) override;
    // trunc(source length x r).
    uint32_t GetLength() override;

    // The plain algorithm, one source read and one seek per output frame.
    // ReadFrames gives the same bytes faster by copying straight out of the
    // read-ahead buffer while the frames lie inside it.
    uint32_t ReadFramesOneByOne(void* buffer, uint32_t frames);

private:
    uint32_t SourceFrameOf(uint32_t outputFrame) const;
    void StepOneFrame(uint8_t* out);
    // The bulk step for 4-byte frames: copies frames while their source lies
    // inside the read-ahead buffer and leaves the source where the plain path
    // would; the count copied, 0 when the next read must refill the buffer.
    uint32_t CopyInBuffer(uint8_t* out, uint32_t frames);

    uint32_t m_position = 0;
    double m_ratio = 1.0;
    CSourceFrameStepper m_stepper;  // the division's source frames, by additions
    bool m_sourceInData = true;  // the last seek of the source succeeded
};

// The song's audio file (its local path) as a resampled source with a 100 ms
// buffer; null when the name ends in neither ".wav" nor ".mp3".
std::unique_ptr<CResampledWaveFile> OpenSongSource(const CSongProfile& song);

}  // namespace vantor
