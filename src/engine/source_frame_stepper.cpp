#include "engine/source_frame_stepper.h"

#include <cmath>

namespace vantor {

namespace {

using Wide = unsigned __int128;

// Below 2^32 frames the division's result has a resolution of 2^-21 or
// finer, so a remainder short of M by more than M / 2^20 can never be rounded
// up to the next whole frame.
constexpr int kNearBits = 20;

}  // namespace

bool CSourceFrameStepper::SetRatio(double ratio) {
    m_ratio = ratio;
    m_usable = false;
    if (!std::isfinite(ratio) || ratio < std::ldexp(1.0, -20) || ratio > std::ldexp(1.0, 20)) return false;
    int exponent = 0;
    const double fraction = std::frexp(ratio, &exponent);  // ratio = fraction x 2^exponent, fraction in [0.5, 1)
    m_modulus = static_cast<uint64_t>(std::ldexp(fraction, 53));
    m_shift = 53 - exponent;
    m_nearRest = m_modulus - (m_modulus >> kNearBits);
    const Wide one = static_cast<Wide>(1) << m_shift;
    m_stepWhole = static_cast<uint64_t>(one / m_modulus);
    m_stepRest = static_cast<uint64_t>(one % m_modulus);
    m_fixedStep = static_cast<uint64_t>(((one << 32) + m_modulus / 2) / m_modulus);
    m_fixedDelta = static_cast<int64_t>(m_fixedStep) - (int64_t{1} << 32);
    const int64_t movement = m_fixedDelta < 0 ? -m_fixedDelta : m_fixedDelta;
    m_runs = movement >= 2 * int64_t{kGuard} && movement <= kMaxRunDelta;
    m_usable = true;
    Seek(0);
    return true;
}

void CSourceFrameStepper::Seek(uint32_t outputFrame) {
    m_output = outputFrame;
    if (!m_usable) return;
    const Wide scaled = static_cast<Wide>(outputFrame) << m_shift;
    m_whole = static_cast<uint64_t>(scaled / m_modulus);
    m_rest = static_cast<uint64_t>(scaled % m_modulus);
}

void CSourceFrameStepper::Skip(uint32_t frames) {
    // frames x step rest stays below 2^63 for frames up to kSpan.
    m_output += frames;
    const uint64_t rest = m_rest + frames * m_stepRest;
    m_whole += frames * m_stepWhole + rest / m_modulus;
    m_rest = rest % m_modulus;
}

uint64_t CSourceFrameStepper::FractionBits() const {
    return static_cast<uint64_t>((static_cast<Wide>(m_rest) << 32) / m_modulus);
}

uint32_t CSourceFrameStepper::Divided(uint32_t outputFrame) const {
    const double frame = outputFrame / m_ratio;
    return frame >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(frame);
}

}  // namespace vantor
