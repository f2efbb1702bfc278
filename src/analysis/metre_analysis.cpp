#include "analysis/metre_analysis.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

// Members of a class judged as levels.
constexpr double kSlowestLevel = 40.0;
constexpr double kFastestLevel = 320.0;
// A level's grid is sought within this share of its tempo: a class's peak
// in the autocorrelation may lie a little off the played tempo.
constexpr double kLevelSpread = 0.03;
// The preference for beat tempos: centred here, halving about 1.2 octaves
// away. Measured on the rendered corpus: from 105 to 125 BPM and from 0.8 to
// 1.3 octaves the choices barely change.
constexpr double kPreferredBeat = 115.0;
constexpr double kPreferenceOctaves = 1.0;
// Bars: a grouping counts when its strongest beat carries this much more than
// the grouping's mean.
constexpr double kClearBar = 1.15;

double Preference(double bpm) {
    const double octaves = std::log2(bpm / kPreferredBeat) / kPreferenceOctaves;
    return std::exp(-0.5 * octaves * octaves);
}

}  // namespace

MetreAnalysis::MetreAnalysis(const OnsetGrid& onsets, const OnsetGrid& low, double rate)
    : m_onsets(onsets), m_low(low), m_rate(rate) {}

MetreAnalysis::Level MetreAnalysis::Measure(double bpm) const {
    Level level;
    if (!(bpm > 0) || !(m_rate > 0)) return level;
    level.bpm = bpm;
    level.grid = m_onsets.Best(60.0 * m_rate / bpm, kLevelSpread);
    const Grid& g = level.grid.grid;
    // The finer level: the grid's points and those halfway or a third of
    // the way between; allowed a little play, as the level's own grid had.
    double finer = 0.0;
    for (int k = 2; k <= 3; ++k)
        for (double shift = -1.0; shift <= 1.0; shift += 0.5)
            finer = std::max(finer, m_onsets.Score({g.origin + shift, g.period / k}));
    level.salience = std::max(0.0, level.grid.score - finer);
    level.weight = level.salience * Preference(bpm);
    return level;
}

MetreAnalysis::Level MetreAnalysis::ChooseBeat(const std::vector<double>& classes) const {
    Level best;
    for (double tempo : classes) {
        if (!(tempo > 0) || !std::isfinite(tempo)) continue;
        double member = tempo;
        while (member >= kSlowestLevel) member /= 2;
        for (member *= 2; member <= kFastestLevel; member *= 2) {
            const Level level = Measure(member);
            if (level.weight > best.weight) best = level;
        }
    }
    return best;
}

MetreAnalysis::Bar MetreAnalysis::FindBar(const Grid& beats) const {
    Bar bar;
    if (!(beats.period >= 1.0)) return bar;
    double clearest = kClearBar;
    for (int size = 3; size <= 4; ++size) {
        // Each beat of the bar, by its low onsets and then all of them.
        std::vector<double> low(static_cast<size_t>(size)), all(static_cast<size_t>(size));
        double lowSum = 0.0, allSum = 0.0;
        for (int j = 0; j < size; ++j) {
            const Grid position{beats.origin + j * beats.period, size * beats.period};
            low[static_cast<size_t>(j)] = m_low.Score(position);
            all[static_cast<size_t>(j)] = m_onsets.Score(position);
            lowSum += low[static_cast<size_t>(j)];
            allSum += all[static_cast<size_t>(j)];
        }
        if (!(lowSum > 0) || !(allSum > 0)) continue;
        size_t first = 0;
        double strongest = -1.0;
        for (size_t j = 0; j < low.size(); ++j) {
            const double strength = low[j] / lowSum + all[j] / allSum;
            if (strength > strongest) {
                strongest = strength;
                first = j;
            }
        }
        const double clarity = strongest / (2.0 / size);
        if (clarity > clearest) {
            clearest = clarity;
            bar.beatsPerBar = size;
            bar.downbeat = Grid{beats.origin + static_cast<double>(first) * beats.period, size * beats.period}.FirstPoint();
        }
    }
    return bar;
}

}  // namespace vantor
