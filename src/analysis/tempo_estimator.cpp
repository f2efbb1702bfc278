#include "analysis/tempo_estimator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/onset_envelope.h"
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
// Smoothing of the envelope before the grid fit, in values (about 9 ms).
constexpr double kGridSmoothing = 1.5;
// A beat grid's first beat is the first grid point with at least this share
// of the mean onset strength on the grid; leading silence and sparse intros
// are skipped.
constexpr double kFirstBeatShare = 0.3;
// Rival classes of tempos: at most this many, each with at least this share
// of the strongest class's score.
constexpr size_t kRivalClasses = 3;
constexpr double kRivalShare = 0.5;
// Tempos at which a beat grid is compared with its rivals'.
constexpr double kGridSlowest = 60.0;
constexpr double kGridFastest = 200.0;
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

std::vector<float> Smooth(const std::vector<float>& values) {
    const int radius = static_cast<int>(std::ceil(3 * kGridSmoothing));
    std::vector<float> kernel;
    for (int i = -radius; i <= radius; ++i) kernel.push_back(static_cast<float>(std::exp(-0.5 * i * i / (kGridSmoothing * kGridSmoothing))));
    const int n = static_cast<int>(values.size());
    std::vector<float> out(values.size(), 0.0f);
    for (int i = 0; i < n; ++i) {
        float sum = 0.0f;
        for (int j = -radius; j <= radius; ++j)
            if (i + j >= 0 && i + j < n) sum += kernel[static_cast<size_t>(j + radius)] * values[static_cast<size_t>(i + j)];
        out[static_cast<size_t>(i)] = sum;
    }
    return out;
}

float At(const std::vector<float>& s, double position) {
    const auto i = static_cast<size_t>(position);
    if (position < 0 || i + 1 >= s.size()) return 0.0f;
    const auto f = static_cast<float>(position - static_cast<double>(i));
    return s[i] + f * (s[i + 1] - s[i]);
}

// A steady beat grid: origin + k x period for every k that lands in the song.
struct Grid {
    double origin;
    double period;
};

double FirstPoint(const Grid& grid) { return grid.origin - std::floor(grid.origin / grid.period) * grid.period; }

// The mean onset strength on the grid's points.
double GridScore(const std::vector<float>& s, const Grid& grid) {
    double sum = 0.0;
    int count = 0;
    const double end = static_cast<double>(s.size()) - 1;
    for (double t = FirstPoint(grid); t < end; t += grid.period) {
        sum += At(s, t);
        ++count;
    }
    return count > 0 ? sum / count : 0.0;
}

struct ScoredGrid {
    Grid grid;
    double score;
};

// The best grid over phases across a beat and periods within 3 % of one.
ScoredGrid CoarseGrid(const std::vector<float>& s, double period) {
    ScoredGrid best{{0.0, period}, -1.0};
    for (int j = -30; j <= 30; ++j) {
        const double p = period * (1 + 0.001 * j);
        for (double phase = 0; phase < p; phase += 1.0) {
            const double score = GridScore(s, {phase, p});
            if (score > best.score) best = {{phase, p}, score};
        }
    }
    return best;
}

// The coarse grid refined to a hundredth of its period step, pinned at the
// song's middle, where a change of period moves the beats least.
Grid RefineGrid(const std::vector<float>& s, const ScoredGrid& coarse) {
    const double middle = static_cast<double>(s.size()) / 2;
    const Grid pinned{coarse.grid.origin + std::round((middle - coarse.grid.origin) / coarse.grid.period) * coarse.grid.period,
                      coarse.grid.period};
    ScoredGrid best = coarse;
    for (int j = -60; j <= 60; ++j) {
        const double p = pinned.period * (1 + 0.000025 * j);
        for (double shift = -2.0; shift <= 2.0; shift += 0.25) {
            const Grid grid{pinned.origin + shift, p};
            const double score = GridScore(s, grid);
            if (score > best.score) best = {grid, score};
        }
    }
    return best.grid;
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
    // swung eighths or triplets fill the bar; a beat grid can: the true beat
    // puts an onset on every point. Strong rival classes are judged by the
    // best grid of their members at playable tempos.
    const std::vector<float> smooth = Smooth(values);
    ScoredGrid chosen{{0.0, 0.0}, -1.0};
    for (const auto& rival : rivals) {
        for (double member = rival.first; member < kGridFastest; member *= 2) {
            if (member < kGridSlowest) continue;
            const ScoredGrid candidate = CoarseGrid(smooth, 60.0 * rate / member);
            if (candidate.score > chosen.score) chosen = candidate;
        }
    }
    // The member heard as the beat: the octave in the range, or with a range
    // wider than an octave the one the autocorrelation favours.
    const double chosenBpm = 60.0 * rate / chosen.grid.period;
    double beat = Fold(chosenBpm);
    for (double member = beat / 2; member >= m_lowest; member /= 2)
        if (memberScore(member) > memberScore(beat)) beat = member;
    const ScoredGrid start = CoarseGrid(smooth, 60.0 * rate / beat);
    const Grid grid = RefineGrid(smooth, start);

    TempoEstimate estimate;
    estimate.bpm = 60.0 * rate / grid.period;
    const double onGrid = GridScore(smooth, grid);
    // How periodic the song is at its tempo, at whichever octave shows it
    // best (a swung song folded to twice its tempo is periodic only at its
    // beat), and how clear the onsets on the grid are.
    double periodic = 0.0;
    for (double lag = grid.period / 4; lag + 1 < static_cast<double>(maxLag); lag *= 2)
        if (lag >= 60.0 * rate / kFastestPulse) periodic = std::max(periodic, PeakNear(r, lag));
    estimate.confidence = std::clamp(periodic, 0.0, 1.0) * std::min(1.0, onGrid / kClearPulse);
    for (double t = FirstPoint(grid); t < static_cast<double>(smooth.size()); t += grid.period) {
        if (At(smooth, t) >= kFirstBeatShare * onGrid) {
            estimate.firstBeat = std::max<int64_t>(0, std::llround(envelope.SourceFrame(t)));
            break;
        }
    }
    if (estimate.firstBeat < 0) estimate.firstBeat = std::max<int64_t>(0, std::llround(envelope.SourceFrame(FirstPoint(grid))));
    return estimate;
}

}  // namespace vantor
