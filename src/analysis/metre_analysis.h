#pragma once

#include <vector>

#include "analysis/onset_grid.h"

namespace vantor {

// The metrical structure of a song's onsets: which of several pulses is
// heard as the beat, and how the beats group into bars.
//
// Pulses an octave apart are one class of tempos, and a song's rival classes
// lie 3:2 and 4:3 apart: a shuffle's triplet pulse, a dotted-quarter pulse,
// a waltz's bar. Each class is judged by its members that are metrical
// levels: a level's onsets stand out from those of the finer level beneath
// it (binary or ternary). A pulse through every third beat of a 4/4 song, or
// every second eighth of a 12/8 one, is no level: the finer grid collects as
// much. Among real levels a broad preference for tempos near 115 BPM
// decides, so a waltz's bar does not beat its beats, nor a 12/8 ballad's
// eighths its dotted quarters.
class MetreAnalysis {
public:
    struct Level {
        double bpm = 0.0;
        ScoredGrid grid;        // the level's best grid
        double salience = 0.0;  // how far its onsets stand out from the finer level's
        double weight = 0.0;    // salience times the preference for its tempo
    };
    struct Bar {
        int beatsPerBar = 0;  // 2, 3 or 4; 0 when the beats show no grouping
        double downbeat = -1; // envelope position of the first bar's first beat
    };

    // onsets: the envelope of all bands; low: of the lowest (kick and bass);
    // harmony: the changes of harmony; rate: envelope values per second.
    MetreAnalysis(const OnsetGrid& onsets, const OnsetGrid& low, const OnsetGrid& harmony, double rate);

    Level Measure(double bpm) const;
    // The most salient level among the members between 40 and 320 BPM of the
    // classes (each given by one tempo of any octave); bpm 0 with none.
    Level ChooseBeat(const std::vector<double>& classes) const;
    // The beats at bpm through a level's grid: the level itself when it is no
    // faster, else every second (fourth...) point, on the points that carry
    // the stronger onsets.
    Grid Beats(const Grid& level, double bpm) const;
    // The grouping of the grid's beats in twos, threes or fours whose first
    // beats carry the changes of harmony and the strongest low onsets, and
    // the first of those.
    Bar FindBar(const Grid& beats) const;

private:
    const OnsetGrid& m_onsets;
    const OnsetGrid& m_low;
    const OnsetGrid& m_harmony;
    double m_rate;
};

}  // namespace vantor
