#pragma once

#include <cstdint>

#include "analysis/tempo_estimator.h"

namespace vantor {

class CConfiguration;
class CWaveFile;
class CWaveSummaryFile;

struct SongTempo {
    double tempo = 0.0;     // the configured detector's, rounded when the configuration asks
    bool accepted = false;  // false: "Unable to find tempo."
    double classicTempo = 0.0;  // the beat tracker's, when it ran
    TempoEstimate robust;       // the estimator's, when it ran
};

// The song's tempo by the detector the configuration names: the beat tracker
// from the start frame, accepted strictly between 110 and 150 BPM, or the
// robust estimator over the whole song, folded into the configured range and
// accepted when its confidence reaches TempoEstimator::kMinimumConfidence.
class SongTempoDetector {
public:
    explicit SongTempoDetector(const CConfiguration& config);

    SongTempo Detect(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start) const;
    // Runs both detectors, for reports that compare them; the configured one
    // still decides tempo and acceptance.
    SongTempo DetectWithBoth(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start) const;

private:
    SongTempo Run(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start, bool both) const;

    bool m_robust;
    bool m_round;
    TempoEstimator m_estimator;
};

}  // namespace vantor
