#include "butterworth_table.h"

#include <cmath>

#include "effect_math.h"

namespace vantor::tonebank {

namespace {

constexpr double kSampleRate = 44100.0;
// 1/Q of the three sections: 2 cos(15°), 2 cos(45°), 2 cos(75°).
constexpr double kDamping[ButterworthTable::kSections] = {1.932, 1.414, 0.518};

}  // namespace

ButterworthTable::ButterworthTable(bool highpass) {
    for (int i = 0; i < kEntries; ++i) {
        Entry& entry = m_entries[static_cast<size_t>(i)];
        entry.frequency = i < 2 ? 40.0 : 40.0 + 50.0 * (i - 1);
        entry.lookup = static_cast<int>(static_cast<int64_t>(i) * i * i / (kEntries * kEntries));
        // Bilinear transform with the cutoff prewarped, so that the analog
        // prototype's -3 dB point lands exactly on the entry's frequency.
        const double k = std::tan(M_PI * entry.frequency / kSampleRate);
        for (int s = 0; s < kSections; ++s) {
            const double d = kDamping[s];
            const double norm = 1.0 / (1.0 + d * k + k * k);
            Section& section = entry.sections[static_cast<size_t>(s)];
            if (highpass) {
                section.b0 = norm;
                section.b1 = -2.0 * norm;
            } else {
                section.b0 = k * k * norm;
                section.b1 = 2.0 * section.b0;
            }
            section.b2 = section.b0;
            section.a1 = 2.0 * (k * k - 1.0) * norm;
            section.a2 = (1.0 - d * k + k * k) * norm;
        }
    }
}

const ButterworthTable::Entry& ButterworthTable::ForCutoffValue(double value) const {
    int index = TruncToInt(value);
    index = index < 0 ? 0 : index >= kEntries ? kEntries - 1 : index;
    return m_entries[static_cast<size_t>(m_entries[static_cast<size_t>(index)].lookup)];
}

}  // namespace vantor::tonebank
