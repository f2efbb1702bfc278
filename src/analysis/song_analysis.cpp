#include "analysis/song_analysis.h"

#include "analysis/reference_level.h"
#include "analysis/song_start.h"
#include "config/configuration.h"

namespace vantor {

Result<SongAnalysis> AnalyzeSong(CWaveFile& source, CWaveSummaryFile& summary, const CConfiguration& config,
                                 uint32_t from) {
    SongAnalysis analysis;
    analysis.referenceLevel = MeasureReferenceLevel(summary);
    const std::optional<uint32_t> start = FindSongStart(source, summary, config.GetStartThreshold(), from);
    if (!start) return Refusal{"Unable to find start position for this song.", "Generate Points", MessageIcon::Error};
    analysis.start = *start;
    analysis.tempo = SongTempoDetector(config).DetectWithBoth(source, summary, *start);
    return analysis;
}

}  // namespace vantor
