#include "editing/snap_grid.h"

#include <algorithm>
#include <cmath>

namespace vantor {

bool SnapGrid::SetFraction(double fraction) {
    if (fraction == kOff || (std::isfinite(fraction) && fraction > 0)) {
        m_fraction = fraction;
        return true;
    }
    return false;
}

void SnapGrid::Align(double tempo, double originSeconds) {
    if (std::isfinite(tempo) && tempo > 0) m_tempo = tempo;
    if (std::isfinite(originSeconds) && originSeconds >= 0) m_origin = originSeconds;
}

double SnapGrid::GetUnit() const { return IsOff() ? 0.0 : m_fraction * 4.0 * 60.0 / m_tempo; }

double SnapGrid::Snap(double seconds) const {
    if (!std::isfinite(seconds)) return 0.0;
    const double unit = GetUnit();
    if (!(unit > 0) || !std::isfinite(unit)) return std::max(0.0, seconds);
    double snapped = m_origin + unit * std::floor((seconds - m_origin) / unit + 0.5);
    if (snapped < 0) snapped = m_origin - unit * std::floor(m_origin / unit);
    // Rounding of the multiplication may leave a hair below 0.
    return std::max(0.0, snapped);
}

}  // namespace vantor
