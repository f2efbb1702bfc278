#pragma once

#include <cstddef>
#include <vector>

namespace vantor {

// A steady grid of beats: origin + k x period for every k that lands in the
// song, in onset-envelope values.
struct Grid {
    double origin = 0.0;
    double period = 0.0;

    // The earliest grid point at or after the start of the envelope.
    double FirstPoint() const;
};

struct ScoredGrid {
    Grid grid;
    double score = -1.0;  // mean onset strength on the grid's points
};

// How much onset strength steady grids collect from an onset envelope,
// smoothed slightly so that humanised timing still lands on its grid.
class OnsetGrid {
public:
    explicit OnsetGrid(const std::vector<float>& values);

    const std::vector<float>& Values() const { return m_values; }
    size_t Size() const { return m_values.size(); }
    // Linearly interpolated; 0 outside the envelope.
    double At(double position) const;
    // The mean onset strength on the grid's points; 0 for a grid with none.
    double Score(const Grid& grid) const;
    // The best grid over phases across one period and periods within
    // spread (a fraction) of period, to a thousandth of the period and half
    // an envelope value.
    ScoredGrid Best(double period, double spread) const;
    // The best grid refined to a fortieth of that step, pinned at the middle
    // of the song, where a change of period moves the beats least.
    Grid Refine(const ScoredGrid& coarse) const;

private:
    std::vector<float> m_values;
};

}  // namespace vantor
