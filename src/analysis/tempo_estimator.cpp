#include "analysis/tempo_estimator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/metre_analysis.h"
#include "analysis/onset_envelope.h"
#include "analysis/onset_grid.h"
#include "analysis/real_fft.h"
#include "engine/wave_file.h"

namespace vantor {

namespace {

// Tempos heard as one pulse at different levels: a class is scored by its
// members between these.
constexpr double kSlowestPulse = 40.0;
constexpr double kFastestPulse = 320.0;
// The prior: most dance music sits near 120 BPM, and the weight halves
// about an octave and a fifth away from it.
constexpr double kPriorCentre = 120.0;
constexpr double kPriorOctaves = 1.0;
// Class search step, as a ratio of tempos.
constexpr double kSearchStep = 1.0025;
// Humanised playing spreads the peak of the autocorrelation; a wider
// tolerance would flatten the class scores into plateaus that the prior
// then tilts away from the true tempo.
constexpr double kLagTolerance = 0.006;
// Rival classes closer than this are one class measured twice.
constexpr double kDistinctClasses = 1.04;
// A beat grid's first beat is the first grid point with at least this share
// of the mean onset strength on the grid; leading silence and sparse intros
// are skipped.
constexpr double kFirstBeatShare = 0.3;
// Rival classes of tempos: at most this many, each with at least this share
// of the strongest class's score.
constexpr size_t kRivalClasses = 3;
constexpr double kRivalShare = 0.5;
// Onset strength (in log units of magnitude) on the beat grid at which a
// pulse is clear; a steady tone's ripple stays near 0.03.
constexpr double kClearPulse = 0.5;

double Prior(double bpm) {
    const double octaves = std::log2(bpm / kPriorCentre) / kPriorOctaves;
    return std::exp(-0.5 * octaves * octaves);
}

// Normalised autocorrelation of the mean-free envelope, by the overlap at
// each lag, for lags 0 to maxLag.
std::vector<double> Autocorrelation(const std::vector<float>& values, size_t maxLag) {
    const size_t n = values.size();
    double mean = 0.0;
    for (float v : values) mean += v;
    mean /= static_cast<double>(n);
    size_t size = 1;
    while (size < 2 * n) size <<= 1;
    RealFft fft(size);
    float* x = fft.Input();
    for (size_t i = 0; i < size; ++i) x[i] = i < n ? static_cast<float>(values[i] - mean) : 0.0f;
    fft.Forward();
    std::complex<float>* bins = fft.Bins();
    for (size_t k = 0; k < fft.BinCount(); ++k) bins[k] = std::norm(bins[k]);
    fft.Inverse();
    std::vector<double> r(maxLag + 1, 0.0);
    const double energy = x[0] / static_cast<double>(n);
    if (!(energy > 0)) return r;
    for (size_t lag = 0; lag <= maxLag && lag < n; ++lag)
        r[lag] = x[lag] / static_cast<double>(n - lag) / energy;
    return r;
}

// The strongest autocorrelation within the tolerance of a lag.
double PeakNear(const std::vector<double>& r, double lag) {
    const double spread = std::max(1.0, lag * kLagTolerance);
    const auto lo = static_cast<size_t>(std::max(1.0, std::floor(lag - spread)));
    const auto hi = std::min(r.size() - 1, static_cast<size_t>(std::ceil(lag + spread)));
    double best = -1.0;
    for (size_t i = lo; i <= hi; ++i) best = std::max(best, r[i]);
    return best;
}

}  // namespace

TempoEstimator::TempoEstimator(double lowest, double highest) : m_lowest(lowest), m_highest(highest) {
    if (!std::isfinite(lowest) || !std::isfinite(highest) || !(lowest >= 1.0) || !(highest > lowest)) {
        m_lowest = kDefaultLowest;
        m_highest = kDefaultHighest;
    }
}

double TempoEstimator::Fold(double bpm) const {
    if (!std::isfinite(bpm) || !(bpm > 0)) return 0.0;
    while (bpm < m_lowest) bpm *= 2;
    while (bpm > m_highest) bpm /= 2;
    // Only a range narrower than an octave leaves bpm below it here.
    if (bpm < m_lowest && m_lowest / bpm > 2 * bpm / m_highest) bpm *= 2;
    return bpm;
}

TempoEstimate TempoEstimator::Estimate(CWaveFile& source) const {
    return Estimate(OnsetEnvelope::FromSource(source));
}

TempoEstimate TempoEstimator::Estimate(const OnsetEnvelope& envelope) const {
    const std::vector<float>& values = envelope.Values();
    const double rate = envelope.Rate();
    // Digital silence or a dither-level hiss has no beat to find.
    if (envelope.Seconds() < kShortestSeconds || envelope.Loudness() < 1e-4 || values.empty()) return {};

    const double longestLag = 60.0 * rate / kSlowestPulse;
    const size_t maxLag = std::min(values.size() / 2, static_cast<size_t>(std::ceil(longestLag * (1 + kLagTolerance))) + 1);
    const std::vector<double> r = Autocorrelation(values, maxLag);
    if (!(r[0] > 0)) return {};

    // Each class of tempos an octave apart is scored by its members' peaks.
    auto memberScore = [&](double bpm) {
        const double lag = 60.0 * rate / bpm;
        return lag + 1 < static_cast<double>(maxLag) ? Prior(bpm) * std::max(0.0, PeakNear(r, lag)) : 0.0;
    };
    std::vector<std::pair<double, double>> classes;  // lowest member, score
    for (double bpm = kSlowestPulse; bpm < 2 * kSlowestPulse; bpm *= kSearchStep) {
        double score = 0.0;
        for (double member = bpm; member < kFastestPulse; member *= 2) score += memberScore(member);
        classes.emplace_back(bpm, score);
    }
    std::vector<std::pair<double, double>> peaks;
    for (size_t i = 0; i < classes.size(); ++i) {
        const double left = classes[(i + classes.size() - 1) % classes.size()].second;
        const double right = classes[(i + 1) % classes.size()].second;
        if (classes[i].second > 0 && classes[i].second >= left && classes[i].second > right) peaks.push_back(classes[i]);
    }
    if (peaks.empty()) return {};
    std::sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::pair<double, double>> rivals;
    for (const auto& peak : peaks) {
        // Classes wrap around the octave: 40 and 79 BPM lie close together.
        auto distance = [&](const auto& kept) {
            const double ratio = std::max(peak.first, kept.first) / std::min(peak.first, kept.first);
            return std::min(ratio, 2 / ratio);
        };
        if (rivals.size() < kRivalClasses && peak.second >= kRivalShare * peaks[0].second &&
            std::none_of(rivals.begin(), rivals.end(), [&](const auto& kept) { return distance(kept) < kDistinctClasses; }))
            rivals.push_back(peak);
    }

    // Autocorrelation alone cannot tell a beat from a beat and a half when
    // swung eighths or triplets fill the bar, nor a waltz's beat from its
    // bar: the metrical structure can. The strong classes and the rivals 3:2
    // and 4:3 from the strongest are judged by the levels they hold.
    const OnsetGrid onsets(values);
    const OnsetGrid low(envelope.BandValues(OnsetEnvelope::kLowBand));
    const OnsetGrid harmony(envelope.HarmonicChanges());
    const MetreAnalysis metre(onsets, low, harmony, rate);
    std::vector<double> candidates;
    for (const auto& rival : rivals) candidates.push_back(rival.first);
    candidates.push_back(rivals[0].first * 1.5);
    candidates.push_back(rivals[0].first * 4.0 / 3);
    const MetreAnalysis::Level chosen = metre.ChooseBeat(candidates);
    if (!(chosen.bpm > 0)) return {};
    // The grid is fitted to the chosen level itself, whose points are beats
    // that are played (a 12/8 ballad's dotted quarters, where the octave in
    // the range may fall between its eighths). The tempo given is its octave
    // in the range, or with a range wider than an octave the one the
    // autocorrelation favours.
    const Grid grid = onsets.Refine(chosen.grid);
    double beat = Fold(60.0 * rate / grid.period);
    for (double member = beat / 2; member >= m_lowest; member /= 2)
        if (memberScore(member) > memberScore(beat)) beat = member;

    TempoEstimate estimate;
    estimate.bpm = beat;
    const double onGrid = onsets.Score(grid);
    // How periodic the song is at its tempo, at whichever octave shows it
    // best (a swung song folded to twice its tempo is periodic only at its
    // beat), and how clear the onsets on the grid are.
    // The smoothed envelope's autocorrelation: bowed strings and other soft
    // attacks wander by a few milliseconds, which the raw one punishes.
    double periodic = 0.0;
    const std::vector<double> smoothR = Autocorrelation(onsets.Values(), maxLag);
    for (double lag = grid.period / 4; lag + 1 < static_cast<double>(maxLag); lag *= 2)
        if (lag >= 60.0 * rate / kFastestPulse) periodic = std::max(periodic, PeakNear(smoothR, lag));
    estimate.confidence = std::clamp(periodic, 0.0, 1.0) * std::min(1.0, onGrid / kClearPulse);
    // The beats at the tempo given; a level played faster than that (the
    // eighths of a fast song) gives every other point, a slower one (half
    // notes) the points between its own when they are played. The first beat
    // is the first of them with onsets.
    const Grid beats = metre.Beats(grid, beat);
    const double onBeats = onsets.Score(beats);
    const Grid given{beats.origin, 60.0 * rate / beat};
    double first = given.FirstPoint();
    for (double t = first; t < static_cast<double>(onsets.Size()); t += given.period) {
        if (onsets.At(t) >= kFirstBeatShare * onBeats) {
            first = t;
            break;
        }
    }
    estimate.firstBeat = std::max<int64_t>(0, std::llround(envelope.SourceFrame(first)));
    // Bars are counted in beats of the tempo given: a 12/8 bar of four
    // dotted quarters is eight beats at twice their tempo, and a waltz's bar
    // halved to a tempo in the range has no whole number of beats.
    const MetreAnalysis::Bar bar = metre.FindBar(beats);
    const double beatsPerBar = bar.beatsPerBar * beat / (60.0 * rate / beats.period);
    if (bar.beatsPerBar > 0 && std::abs(beatsPerBar - std::round(beatsPerBar)) < 0.01) {
        estimate.beatsPerBar = static_cast<int>(std::lround(beatsPerBar));
        // The first downbeat at or after the first beat.
        double downbeat = bar.downbeat;
        while (downbeat < first - 0.5) downbeat += bar.beatsPerBar * beats.period;
        estimate.downbeat = std::max<int64_t>(0, std::llround(envelope.SourceFrame(downbeat)));
    }
    return estimate;
}

}  // namespace vantor
