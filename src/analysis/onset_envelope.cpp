#include "analysis/onset_envelope.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/harmonic_change.h"
#include "analysis/real_fft.h"
#include "engine/wave_file.h"

namespace vantor {

namespace {

// Band edges in Hz: kick and bass, snare bodies and chords, snares and
// voices, cymbals and hats. Each band is split into narrower bands a third
// of an octave wide, whose levels are compared from one window to the next.
constexpr std::array<double, 5> kBandEdges = {30.0, 200.0, 800.0, 3000.0, 5500.0};
static_assert(kBandEdges.size() - 1 == OnsetEnvelope::kBands);
constexpr size_t kBands = OnsetEnvelope::kBands;
constexpr double kThirdOctave = 1.2599;
// Log compression: quiet intros still show their onsets.
constexpr float kCompression = 100.0f;
// Rises smaller than this (about 0.2 dB) are no onset; it keeps the tiny
// ripple of a steady tone from looking like a pulse.
constexpr float kSmallestRise = 0.025f;
// The local mean taken away spans about 0.3 s each side.
constexpr size_t kMeanRadius = 52;
// An onset's rise is seen by the window before it reaches the window's
// middle; found with isolated clicks.
constexpr double kOnsetLagInHops = 6.2;

// Subtracting the running mean leaves the peaks that stand out from their
// surroundings, so dense hats or a swelling pad do not bury the beats.
std::vector<float> AboveLocalMean(const std::vector<float>& rise) {
    const size_t count = rise.size();
    std::vector<double> prefix(count + 1, 0.0);
    for (size_t n = 0; n < count; ++n) prefix[n + 1] = prefix[n] + rise[n];
    std::vector<float> values(count);
    for (size_t n = 0; n < count; ++n) {
        const size_t lo = n > kMeanRadius ? n - kMeanRadius : 0;
        const size_t hi = std::min(count, n + kMeanRadius + 1);
        const double mean = (prefix[hi] - prefix[lo]) / static_cast<double>(hi - lo);
        values[n] = static_cast<float>(std::max(0.0, rise[n] - mean));
    }
    return values;
}

}  // namespace

OnsetEnvelope::OnsetEnvelope(double sampleRate, int channels)
    : m_channels(std::max(channels, 1)),
      m_factor(std::max(1, static_cast<int>(std::lround(sampleRate / kReducedRate)))),
      m_reducedRate(sampleRate > 0 ? sampleRate / m_factor : kReducedRate),
      // A window of silence before the song lets a beat on its very first
      // frame rise like any other.
      m_mono(kWindow, 0.0f) {}

void OnsetEnvelope::Add(const int16_t* frames, size_t count) {
    const double scale = 1.0 / (32768.0 * m_channels);
    for (size_t i = 0; i < count; ++i) {
        int32_t sum = 0;
        for (int c = 0; c < m_channels; ++c) sum += frames[i * m_channels + c];
        const double mono = sum * scale;
        m_squares += mono * mono;
        // Averaging the frames of each reduced sample is the low-pass filter:
        // it nulls what would fold onto its multiples.
        m_pending += mono;
        if (++m_pendingCount == m_factor) {
            m_mono.push_back(static_cast<float>(m_pending / m_factor));
            m_pending = 0.0;
            m_pendingCount = 0;
        }
    }
    m_seconds += static_cast<double>(count) / (m_reducedRate * m_factor);
}

void OnsetEnvelope::Finish() {
    const double frames = m_seconds * m_reducedRate * m_factor;
    m_loudness = frames > 0 ? std::sqrt(m_squares / frames) : 0.0;
    Analyse();
    m_mono.clear();
    m_mono.shrink_to_fit();
}

OnsetEnvelope OnsetEnvelope::FromSamples(const int16_t* frames, size_t count, double sampleRate, int channels) {
    OnsetEnvelope envelope(sampleRate, channels);
    envelope.Add(frames, count);
    envelope.Finish();
    return envelope;
}

OnsetEnvelope OnsetEnvelope::FromSource(CWaveFile& source) {
    OnsetEnvelope envelope(source.GetSampleRate(), source.GetChannels());
    const bool pcm16 = source.GetFormatTag() == 1 && source.GetBitsPerSample() == 16 && source.GetChannels() >= 1 &&
                       source.GetBlockAlign() == 2 * source.GetChannels();
    if (pcm16 && source.Seek(0)) {
        constexpr uint32_t kBlock = 16384;
        std::vector<int16_t> block(size_t{kBlock} * source.GetChannels());
        // The reader pads with silence past the end; the length bounds it.
        for (uint32_t left = source.GetLength(); left > 0;) {
            const uint32_t got = source.ReadFrames(block.data(), std::min(left, kBlock));
            if (got == 0) break;
            envelope.Add(block.data(), got);
            left -= got;
        }
    }
    envelope.Finish();
    return envelope;
}

double OnsetEnvelope::SourceFrame(double index) const {
    return ((index + kOnsetLagInHops) * kHop - static_cast<double>(kWindow)) * m_factor;
}

void OnsetEnvelope::Analyse() {
    m_values.clear();
    for (auto& band : m_bandValues) band.clear();
    m_harmony.clear();
    if (m_mono.size() < 2 * kWindow) return;
    const size_t count = (m_mono.size() - kWindow) / kHop + 1;

    // Narrow bands as ranges of bins, each at least one bin wide, and the
    // wide band each belongs to.
    struct Narrow {
        size_t first, last, band;
    };
    std::vector<Narrow> narrow;
    std::array<int, kBands> narrowPerBand{};
    const double binHz = m_reducedRate / kWindow;
    size_t next = std::max<size_t>(1, static_cast<size_t>(kBandEdges[0] / binHz));
    for (size_t b = 0; b < kBands; ++b) {
        const size_t bandEnd = std::min(kWindow / 2, static_cast<size_t>(kBandEdges[b + 1] / binHz));
        while (next < bandEnd) {
            const size_t last = std::min(bandEnd, std::max(next + 1, static_cast<size_t>(next * kThirdOctave)));
            narrow.push_back({next, last, b});
            ++narrowPerBand[b];
            next = last;
        }
    }
    std::array<float, kWindow> hann{};
    for (size_t i = 0; i < kWindow; ++i)
        hann[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * M_PI * (i + 0.5) / kWindow));

    RealFft fft(kWindow);
    std::vector<float> previous(narrow.size(), 0.0f), current(narrow.size(), 0.0f);
    std::vector<float> rise(count, 0.0f);
    std::array<std::vector<float>, kBands> bandRise;
    for (auto& band : bandRise) band.assign(count, 0.0f);
    for (size_t n = 0; n < count; ++n) {
        const float* in = m_mono.data() + n * kHop;
        float* x = fft.Input();
        for (size_t i = 0; i < kWindow; ++i) x[i] = in[i] * hann[i];
        fft.Forward();
        const std::complex<float>* bins = fft.Bins();
        for (size_t j = 0; j < narrow.size(); ++j) {
            float power = 0.0f;
            for (size_t k = narrow[j].first; k < narrow[j].last; ++k) power += std::norm(bins[k]);
            current[j] = std::log1p(kCompression * std::sqrt(power / static_cast<float>(narrow[j].last - narrow[j].first)));
        }
        std::array<float, kBands> bands{};
        for (size_t j = 0; j < narrow.size(); ++j) {
            const float up = current[j] - previous[j];
            if (up > kSmallestRise) bands[narrow[j].band] += up;
        }
        float total = 0.0f;
        for (size_t b = 0; b < kBands; ++b) {
            const float band = narrowPerBand[b] > 0 ? bands[b] / static_cast<float>(narrowPerBand[b]) : 0.0f;
            total += band;
            // The first window has nothing before it to rise from.
            bandRise[b][n] = n == 0 ? 0.0f : band;
        }
        rise[n] = n == 0 ? 0.0f : total;
        previous.swap(current);
    }

    m_values = AboveLocalMean(rise);
    for (size_t b = 0; b < kBands; ++b) m_bandValues[b] = AboveLocalMean(bandRise[b]);
    m_harmony = HarmonicChange::Measure(m_mono, m_reducedRate, count, kHop, kOnsetLagInHops * kHop);
}

}  // namespace vantor
