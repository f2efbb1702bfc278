#pragma once

#include <cstdint>
#include <optional>

namespace vantor {

class CWaveFile;
class CWaveSummaryFile;

// Start detection looks this far past its origin (20 s at 44100) before it
// gives up.
constexpr uint32_t kStartSearchFrames = 882000;

// The first audible frame at or after from: the summary is scanned for the
// first record whose extremes exceed threshold x full scale, then the audio
// around it for the first sample that does. Nothing when no sample exceeds
// the threshold within the search span or before the end of the audio.
std::optional<uint32_t> FindSongStart(CWaveFile& source, CWaveSummaryFile& summary, double threshold, uint32_t from);

}  // namespace vantor
