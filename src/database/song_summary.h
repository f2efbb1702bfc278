#pragma once

#include <cstdint>

namespace vantor {

// What segment normalization needs from a song's waveform summary: the
// reference level measured by the analysis (header word 9) and the largest
// amplitude the format can hold (header word 5, 32767 for 16-bit audio).
class ISongSummary {
public:
    virtual ~ISongSummary() = default;
    virtual int32_t GetReferenceLevel() const = 0;
    virtual int32_t GetMaxAmplitude() const = 0;
};

// The gain that brings the song's reference level to the reference point:
// R / (min(L, M) / M). A song without a measured level (L = 0) or a summary
// without a maximum gives no finite value, which segment designs ignore.
double ComputeNormalization(const ISongSummary& summary, double referencePoint);

}  // namespace vantor
