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
// Bars: a grouping counts when its strongest beat carries this many times an
// even share; a bar of four whose third beat carries this share of its first
// is two bars of two.
constexpr double kClearBar = 1.5;
constexpr double kTwinHalves = 0.75;

double Preference(double bpm) {
    const double octaves = std::log2(bpm / kPreferredBeat) / kPreferenceOctaves;
    return std::exp(-0.5 * octaves * octaves);
}

}  // namespace

MetreAnalysis::MetreAnalysis(const OnsetGrid& onsets, const OnsetGrid& low, const OnsetGrid& harmony, double rate)
    : m_onsets(onsets), m_low(low), m_harmony(harmony), m_rate(rate) {}

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

Grid MetreAnalysis::Beats(const Grid& level, double bpm) const {
    if (!(bpm > 0) || !(level.period >= 1.0)) return level;
    const double ratio = 60.0 * m_rate / level.period / bpm;
    if (ratio < 1.5) return level;
    const int points = static_cast<int>(std::lround(std::exp2(std::round(std::log2(ratio)))));
    // Each phase's share of the onsets, of the low onsets and of the changes
    // of harmony: an off-beat bass or open hat may outweigh the kick, but
    // chords change on the beat.
    std::vector<double> strength(static_cast<size_t>(points), 0.0);
    for (const OnsetGrid* envelope : {&m_onsets, &m_low, &m_harmony}) {
        std::vector<double> scores;
        double sum = 0.0;
        for (int i = 0; i < points; ++i) {
            scores.push_back(envelope->Score({level.origin + i * level.period, level.period * points}));
            sum += scores.back();
        }
        if (sum > 0)
            for (size_t i = 0; i < scores.size(); ++i) strength[i] += scores[i] / sum;
    }
    const auto best = std::max_element(strength.begin(), strength.end()) - strength.begin();
    return {level.origin + static_cast<double>(best) * level.period, level.period * points};
}

MetreAnalysis::Bar MetreAnalysis::FindBar(const Grid& beats) const {
    Bar bar;
    if (!(beats.period >= 1.0)) return bar;
    // Each beat of a group of beats: its share of the group's harmony changes
    // and its share of the low onsets, weighted alike.
    auto shares = [&](int size) {
        std::vector<double> harmony, low;
        double harmonySum = 0.0, lowSum = 0.0;
        for (int j = 0; j < size; ++j) {
            const Grid position{beats.origin + j * beats.period, size * beats.period};
            harmony.push_back(m_harmony.Score(position));
            low.push_back(m_low.Score(position));
            harmonySum += harmony.back();
            lowSum += low.back();
        }
        std::vector<double> share;
        for (size_t j = 0; j < harmony.size(); ++j)
            share.push_back(0.5 * ((harmonySum > 0 ? harmony[j] / harmonySum : 1.0 / size) + (lowSum > 0 ? low[j] / lowSum : 1.0 / size)));
        return share;
    };
    // Threes or fours: the grouping whose first beat stands out most against
    // an even share.
    double clearest = kClearBar;
    std::vector<double> chosen;
    for (int size = 3; size <= 4; ++size) {
        const std::vector<double> share = shares(size);
        const double clarity = *std::max_element(share.begin(), share.end()) * size;
        if (clarity > clearest) {
            clearest = clarity;
            chosen = share;
        }
    }
    if (chosen.empty()) return bar;
    const auto first = static_cast<size_t>(std::max_element(chosen.begin(), chosen.end()) - chosen.begin());
    bar.beatsPerBar = static_cast<int>(chosen.size());
    // Four whose halves begin alike are two bars of two.
    if (bar.beatsPerBar == 4 && chosen[(first + 2) % 4] >= kTwinHalves * chosen[first]) bar.beatsPerBar = 2;
    bar.downbeat = Grid{beats.origin + static_cast<double>(first) * beats.period, bar.beatsPerBar * beats.period}.FirstPoint();
    return bar;
}

}  // namespace vantor
