#include "editing/effect_levels.h"

#include <cmath>

namespace vantor {

double EffectLevels::FromFraction(double fraction) const {
    if (!m_effect) return fraction;
    if (!std::isfinite(fraction)) fraction = 0.0;
    const double scaled = std::trunc(std::fmin(std::fmax(fraction, 0.0), 1.0) * kCurveHeight);
    return m_effect->PositionToValue(m_parameter.c_str(), kCurveHeight - static_cast<int>(scaled), kCurveHeight);
}

double EffectLevels::ToFraction(double value) const {
    if (!m_effect) return value;
    const int position = m_effect->ValueToPosition(m_parameter.c_str(), value, kCurveHeight);
    return static_cast<double>(kCurveHeight - position) / kCurveHeight;
}

double EffectLevels::Between(double a, double b, double t) const {
    if (!(t > 0) || a == b) return a;
    if (t >= 1) return b;
    if (!m_effect) return a + (b - a) * t;
    const int from = m_effect->ValueToPosition(m_parameter.c_str(), a, kControlSteps);
    const int to = m_effect->ValueToPosition(m_parameter.c_str(), b, kControlSteps);
    const long position = std::lround(from + (to - from) * t);
    return m_effect->PositionToValue(m_parameter.c_str(), static_cast<int>(position), kControlSteps);
}

double EffectLevels::Default() const { return m_effect ? m_effect->GetDefaultValue(m_parameter.c_str()) : 0.0; }

}  // namespace vantor
