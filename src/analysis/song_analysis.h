#pragma once

#include <cstdint>

#include "analysis/song_tempo_detector.h"
#include "platform/result.h"

namespace vantor {

class CConfiguration;

// What the analysis finds in a song: where it starts, its tempo by both
// detectors (the configured one decides) and its loudness reference.
struct SongAnalysis {
    uint32_t start = 0;
    SongTempo tempo;
    int32_t referenceLevel = 0;
};

// Runs start detection from the frame on, then both tempo detectors from the
// start, and measures the reference level. Refused with "Unable to find start
// position for this song." when no start is found; an implausible tempo is
// reported through SongTempo::accepted, since the rest is still worth showing.
Result<SongAnalysis> AnalyzeSong(CWaveFile& source, CWaveSummaryFile& summary, const CConfiguration& config,
                                 uint32_t from);

}  // namespace vantor
