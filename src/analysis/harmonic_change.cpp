#include "analysis/harmonic_change.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/real_fft.h"

namespace vantor {

namespace {

// Pitches from a low E to the top of a melody; lower bins cannot tell
// semitones apart in the window, higher ones hold mostly overtones.
constexpr double kLowestHz = 80.0;
constexpr double kHighestHz = 2000.0;
// Frames whose chroma is compared: this many before a moment with this many
// after it, enough to bridge one frame's smearing of a change.
constexpr size_t kSide = 8;
// Windows quieter than this (rms of the chroma magnitudes) carry no harmony.
constexpr float kQuiet = 1e-4f;

using Chroma = std::array<float, 12>;

}  // namespace

std::vector<float> HarmonicChange::Measure(const std::vector<float>& mono, double rate, size_t count, size_t hop, double offset) {
    std::vector<float> out(count, 0.0f);
    if (mono.size() < kWindow + 2 * kSide * kHop || !(rate > 0) || hop == 0) return out;
    const size_t frames = (mono.size() - kWindow) / kHop + 1;

    // Each bin's pitch class, or none.
    std::vector<int> pitchClass(kWindow / 2 + 1, -1);
    for (size_t k = 1; k < pitchClass.size(); ++k) {
        const double hz = static_cast<double>(k) * rate / kWindow;
        if (hz < kLowestHz || hz > kHighestHz) continue;
        const long semitone = std::lround(12.0 * std::log2(hz / 440.0));
        pitchClass[k] = static_cast<int>(((semitone % 12) + 12) % 12);
    }
    std::vector<float> hann(kWindow);
    for (size_t i = 0; i < kWindow; ++i) hann[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * M_PI * (i + 0.5) / kWindow));

    RealFft fft(kWindow);
    std::vector<Chroma> chroma(frames);
    for (size_t f = 0; f < frames; ++f) {
        float* x = fft.Input();
        const float* in = mono.data() + f * kHop;
        for (size_t i = 0; i < kWindow; ++i) x[i] = in[i] * hann[i];
        fft.Forward();
        const std::complex<float>* bins = fft.Bins();
        Chroma c{};
        for (size_t k = 0; k < pitchClass.size(); ++k)
            if (pitchClass[k] >= 0) c[static_cast<size_t>(pitchClass[k])] += std::abs(bins[k]);
        float norm = 0.0f;
        for (float v : c) norm += v * v;
        norm = std::sqrt(norm);
        // Scaled to unit length, so that loudness does not count as change.
        for (float& v : c) v = norm > kQuiet * kWindow ? v / norm : 0.0f;
        chroma[f] = c;
    }

    // Change at the boundary before frame f: one minus the cosine of the
    // summed chroma on either side.
    std::vector<float> change(frames, 0.0f);
    for (size_t f = kSide; f + kSide <= frames; ++f) {
        Chroma before{}, after{};
        for (size_t i = 0; i < kSide; ++i)
            for (size_t p = 0; p < 12; ++p) {
                before[p] += chroma[f - 1 - i][p];
                after[p] += chroma[f + i][p];
            }
        float dot = 0.0f, nb = 0.0f, na = 0.0f;
        for (size_t p = 0; p < 12; ++p) {
            dot += before[p] * after[p];
            nb += before[p] * before[p];
            na += after[p] * after[p];
        }
        if (nb > 0 && na > 0) change[f] = std::max(0.0f, 1.0f - dot / std::sqrt(nb * na));
    }

    // The change before frame f is strongest for a chord that begins midway
    // through the span that frame and the one before share: half a window
    // less half a hop past frame f's start.
    for (size_t n = 0; n < count; ++n) {
        const double sample = static_cast<double>(n * hop) + offset;
        const double position = (sample - static_cast<double>(kWindow) / 2 + static_cast<double>(kHop) / 2) / kHop;
        if (position < 0) continue;
        const auto f = static_cast<size_t>(position);
        if (f + 1 >= frames) break;
        const auto w = static_cast<float>(position - static_cast<double>(f));
        out[n] = change[f] + w * (change[f + 1] - change[f]);
    }
    return out;
}

}  // namespace vantor
