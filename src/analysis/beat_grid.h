#pragma once

#include <cstdint>

namespace vantor {

class CWaveFile;
class TempoEstimator;
struct TempoEstimate;

// A song's beat grid, for a snap grid and for bar lengths: the tempo, where
// the first beat falls and, when the beats group into bars, where the first
// bar begins and how many beats it holds. Beat n lies at firstBeat + n x
// 60 / bpm seconds.
struct BeatGrid {
    bool found = false;  // a tempo trusted enough to show
    double bpm = 0.0;
    double confidence = 0.0;
    int64_t firstBeat = -1;  // source frames; -1 with no tempo
    double firstBeatSeconds = -1.0;
    int64_t downbeat = -1;  // the first bar's first beat; -1 with no bars
    double downbeatSeconds = -1.0;
    int beatsPerBar = 0;  // beats of bpm to the bar; 0 with no bars

    static BeatGrid FromEstimate(const TempoEstimate& estimate, double sampleRate);
};

// The whole source's beat grid by the robust estimator.
BeatGrid FindBeatGrid(CWaveFile& source, const TempoEstimator& estimator);

}  // namespace vantor
