#pragma once

#include <array>
#include <cstddef>

namespace vantor::tonebank {

// Coefficients of sixth-order Butterworth filters at 442 cutoff frequencies
// for 44100 Hz: entry i is at 40 Hz for i = 0 and 1 and 40 + 50 (i - 1) Hz
// above. A cutoff parameter value v selects entry trunc(v^3 / 442^2), so the
// parameter's steps spread over the frequencies on a cubic curve.
class ButterworthTable {
public:
    static constexpr int kEntries = 442;
    static constexpr int kSections = 3;

    // One second-order section, normalised so that a0 = 1:
    // y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2.
    struct Section {
        double b0, b1, b2, a1, a2;
    };
    struct Entry {
        double frequency;
        int lookup;
        std::array<Section, kSections> sections;
    };

    explicit ButterworthTable(bool highpass);

    // The entry a cutoff parameter value selects (values outside 0 ... 441
    // are taken at the nearest end).
    const Entry& ForCutoffValue(double value) const;
    const Entry& At(int index) const { return m_entries[static_cast<size_t>(index)]; }

private:
    std::array<Entry, kEntries> m_entries;
};

}  // namespace vantor::tonebank
