#pragma once

#include <cstdint>

namespace vantor {

class CWaveFile;
class OnsetEnvelope;

struct TempoEstimate {
    double bpm = 0.0;         // within the accepted range; 0 when nothing beats
    double confidence = 0.0;  // 0 (no pulse at all) to 1 (a pulse on every beat)
    int64_t firstBeat = -1;   // source frame of the first beat; -1 with no tempo
    // Beats of bpm to the bar (3 or 4, 8 for a 12/8 bar of dotted quarters
    // given at twice their tempo); 0 when the beats show no bars.
    int beatsPerBar = 0;
    int64_t downbeat = -1;    // source frame of the first bar's first beat; -1 with no bars
};

// Beats per minute from the audio itself. The onset envelope of the whole
// song is searched for the strongest periodicities by autocorrelation, each
// period scored together with its octaves and weighted towards the common
// dance tempos; the strong classes and their rivals a 3:2 and 4:3 away are
// judged by the metrical levels they hold (MetreAnalysis), so that a song is
// not heard at two thirds or three quarters of its tempo. The winner is
// folded by octaves into the accepted range and refined to 0.01 BPM by
// fitting a steady beat grid over the whole song; the beats' grouping into
// bars gives the downbeat.
class TempoEstimator {
public:
    static constexpr double kDefaultLowest = 88.0;
    static constexpr double kDefaultHighest = 175.0;
    // Below this a song has no pulse worth trusting. Measured: every
    // generated song with a beat scores 0.5 or more and every rendered piece
    // 0.29 or more (bowed strings the least); noise, rumble, random clicks,
    // applause, a steady or a vibrato tone and silence score 0.14 at most.
    static constexpr double kMinimumConfidence = 0.25;
    // Fewer seconds than this hold too few beats to measure.
    static constexpr double kShortestSeconds = 4.0;

    // A range that is empty, not positive or not finite gives the defaults.
    TempoEstimator(double lowest = kDefaultLowest, double highest = kDefaultHighest);

    TempoEstimate Estimate(CWaveFile& source) const;
    TempoEstimate Estimate(const OnsetEnvelope& envelope) const;

    // The octave of bpm within the range; with a range narrower than an
    // octave, the octave nearest to it.
    double Fold(double bpm) const;
    // True when the estimate may be shown as the song's tempo.
    static bool IsTrusted(const TempoEstimate& estimate) {
        return estimate.bpm > 0 && estimate.confidence >= kMinimumConfidence;
    }

    double GetLowest() const { return m_lowest; }
    double GetHighest() const { return m_highest; }

private:
    double m_lowest;
    double m_highest;
};

}  // namespace vantor
