#include "analysis/onset_grid.h"

#include <cmath>

namespace vantor {

namespace {

// Smoothing of the envelope, in values (about 9 ms).
constexpr double kSmoothing = 1.5;

}  // namespace

double Grid::FirstPoint() const {
    if (!(period > 0)) return origin;
    return origin - std::floor(origin / period) * period;
}

OnsetGrid::OnsetGrid(const std::vector<float>& values) : m_values(values.size(), 0.0f) {
    const int radius = static_cast<int>(std::ceil(3 * kSmoothing));
    std::vector<float> kernel;
    for (int i = -radius; i <= radius; ++i) kernel.push_back(static_cast<float>(std::exp(-0.5 * i * i / (kSmoothing * kSmoothing))));
    const int n = static_cast<int>(values.size());
    for (int i = 0; i < n; ++i) {
        float sum = 0.0f;
        for (int j = -radius; j <= radius; ++j)
            if (i + j >= 0 && i + j < n) sum += kernel[static_cast<size_t>(j + radius)] * values[static_cast<size_t>(i + j)];
        m_values[static_cast<size_t>(i)] = sum;
    }
}

double OnsetGrid::At(double position) const {
    if (!(position >= 0)) return 0.0;
    const auto i = static_cast<size_t>(position);
    if (i + 1 >= m_values.size()) return 0.0;
    const auto f = static_cast<float>(position - static_cast<double>(i));
    return m_values[i] + f * (m_values[i + 1] - m_values[i]);
}

double OnsetGrid::Score(const Grid& grid) const {
    if (!(grid.period >= 1.0)) return 0.0;
    double sum = 0.0;
    int count = 0;
    const double end = static_cast<double>(m_values.size()) - 1;
    for (double t = grid.FirstPoint(); t < end; t += grid.period) {
        sum += At(t);
        ++count;
    }
    return count > 0 ? sum / count : 0.0;
}

ScoredGrid OnsetGrid::Best(double period, double spread) const {
    ScoredGrid best{{0.0, period}, -1.0};
    if (!(period >= 2.0)) return best;
    // Every other period step and phase first, then the neighbours of the
    // best: a grid's score changes smoothly with both.
    const int steps = static_cast<int>(std::lround(spread / 0.001));
    for (int j = -steps; j <= steps; j += 2) {
        const double p = period * (1 + 0.001 * j);
        for (double phase = 0; phase < p; phase += 2.0) {
            const double score = Score({phase, p});
            if (score > best.score) best = {{phase, p}, score};
        }
    }
    const Grid coarse = best.grid;
    for (int j = -1; j <= 1; ++j) {
        const double p = coarse.period * (1 + 0.001 * j);
        for (double shift = -1.5; shift <= 1.5; shift += 0.5) {
            const Grid grid{coarse.origin + shift, p};
            const double score = Score(grid);
            if (score > best.score) best = {grid, score};
        }
    }
    best.grid.origin = best.grid.FirstPoint();
    return best;
}

Grid OnsetGrid::Refine(const ScoredGrid& coarse) const {
    if (!(coarse.grid.period >= 1.0) || !std::isfinite(coarse.grid.origin)) return coarse.grid;
    const double middle = static_cast<double>(m_values.size()) / 2;
    const Grid pinned{coarse.grid.origin + std::round((middle - coarse.grid.origin) / coarse.grid.period) * coarse.grid.period,
                      coarse.grid.period};
    ScoredGrid best = coarse;
    for (int j = -60; j <= 60; ++j) {
        const double p = pinned.period * (1 + 0.000025 * j);
        for (double shift = -2.0; shift <= 2.0; shift += 0.25) {
            const Grid grid{pinned.origin + shift, p};
            const double score = Score(grid);
            if (score > best.score) best = {grid, score};
        }
    }
    return best.grid;
}

}  // namespace vantor
