#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace vantor {

// Gains are applied in Q13 fixed point: G = trunc(gain x 8192) as a signed
// 16-bit factor, y = (x x G) >> 13 saturated to 16 bits. Gains lie from 0 up
// to just under 4.0; anything beyond is held at the ends of the 16-bit range.
// (x x 8192) >> 13 is x: unity gain changes nothing and can be skipped.
constexpr int16_t kUnityGain = 8192;

inline int16_t GainToFixed(double gain) {
    double g = std::trunc(gain * 8192.0);
    if (!(g == g)) return 0;  // NaN
    return static_cast<int16_t>(std::clamp(g, -32768.0, 32767.0));
}

inline int16_t Saturate16(int32_t value) {
    return static_cast<int16_t>(std::clamp(value, -32768, 32767));
}

inline int16_t ScaleSample(int16_t sample, int16_t factor) {
    return Saturate16((static_cast<int32_t>(sample) * factor) >> 13);
}

inline void ApplyFixedGain(int16_t* samples, size_t count, int16_t factor) {
    for (size_t i = 0; i < count; ++i) samples[i] = ScaleSample(samples[i], factor);
}

}  // namespace vantor
