#include "analysis/song_tempo_detector.h"

#include "analysis/tempo_detection.h"
#include "config/configuration.h"

namespace vantor {

SongTempoDetector::SongTempoDetector(const CConfiguration& config)
    : m_robust(config.GetTempoDetector() != CConfiguration::kClassicTempoDetector),
      m_round(config.GetRoundTempo()),
      m_estimator(config.GetLowestTempo(), config.GetHighestTempo()) {}

SongTempo SongTempoDetector::Detect(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start) const {
    return Run(source, summary, start, false);
}

SongTempo SongTempoDetector::DetectWithBoth(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start) const {
    return Run(source, summary, start, true);
}

SongTempo SongTempoDetector::Run(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start, bool both) const {
    SongTempo result;
    if (both || !m_robust) result.classicTempo = DetectTempo(source, summary, start, m_round);
    if (both || m_robust) result.robust = m_estimator.Estimate(source);
    if (m_robust) {
        result.accepted = TempoEstimator::IsTrusted(result.robust);
        result.tempo = m_round ? RoundTempo(result.robust.bpm) : result.robust.bpm;
    } else {
        result.tempo = result.classicTempo;
        result.accepted = result.tempo > 110.0 && result.tempo < 150.0;
    }
    return result;
}

}  // namespace vantor
