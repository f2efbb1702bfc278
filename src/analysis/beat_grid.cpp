#include "analysis/beat_grid.h"

#include "analysis/tempo_estimator.h"
#include "engine/wave_file.h"

namespace vantor {

BeatGrid BeatGrid::FromEstimate(const TempoEstimate& estimate, double sampleRate) {
    BeatGrid grid;
    grid.found = TempoEstimator::IsTrusted(estimate) && estimate.firstBeat >= 0 && sampleRate > 0;
    if (!grid.found) return grid;
    grid.bpm = estimate.bpm;
    grid.confidence = estimate.confidence;
    grid.firstBeat = estimate.firstBeat;
    grid.firstBeatSeconds = static_cast<double>(estimate.firstBeat) / sampleRate;
    if (estimate.beatsPerBar > 0 && estimate.downbeat >= 0) {
        grid.beatsPerBar = estimate.beatsPerBar;
        grid.downbeat = estimate.downbeat;
        grid.downbeatSeconds = static_cast<double>(estimate.downbeat) / sampleRate;
    }
    return grid;
}

BeatGrid FindBeatGrid(CWaveFile& source, const TempoEstimator& estimator) {
    return BeatGrid::FromEstimate(estimator.Estimate(source), source.GetSampleRate());
}

}  // namespace vantor
