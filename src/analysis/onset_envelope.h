#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantor {

class CWaveFile;

// How strongly new sounds begin, over the time of a song: the rise of
// log-compressed magnitudes in four frequency bands (lows, low mids, high
// mids, highs), each band weighted alike, on mono audio reduced to about
// 11 kHz, with the local mean taken away so only onsets remain; beside it,
// on the same times, each band's onsets and the changes of harmony.
class OnsetEnvelope {
public:
    static constexpr double kReducedRate = 11025.0;
    static constexpr size_t kWindow = 512;  // 46 ms at the reduced rate
    static constexpr size_t kHop = 64;      // 5.8 ms between values
    static constexpr size_t kBands = 4;
    static constexpr size_t kLowBand = 0;  // kick and bass, 30-200 Hz

    // Mono audio at the reduced rate, fed in blocks of interleaved 16-bit
    // frames; Finish computes the envelope.
    OnsetEnvelope(double sampleRate, int channels);
    void Add(const int16_t* frames, size_t count);
    void Finish();

    // The whole of a 16-bit source from frame 0; an envelope with no values
    // for sources in any other format.
    static OnsetEnvelope FromSource(CWaveFile& source);
    static OnsetEnvelope FromSamples(const int16_t* frames, size_t count, double sampleRate, int channels);

    const std::vector<float>& Values() const { return m_values; }
    // The onsets of one band alone, on the same times as Values().
    const std::vector<float>& BandValues(size_t band) const { return m_bandValues[band < kBands ? band : kBands - 1]; }
    // How strongly the harmony changes (HarmonicChange), on the same times.
    const std::vector<float>& HarmonicChanges() const { return m_harmony; }
    // Values per second.
    double Rate() const { return m_reducedRate / kHop; }
    // The source frame at which an onset peaking at value index begins.
    double SourceFrame(double index) const;
    // Root mean square of the mono audio, 1 = full scale.
    double Loudness() const { return m_loudness; }
    double Seconds() const { return m_seconds; }

private:
    void Analyse();

    int m_channels;
    int m_factor;  // source frames per reduced sample
    double m_reducedRate;
    std::vector<float> m_mono;
    double m_pending = 0.0;
    int m_pendingCount = 0;
    double m_squares = 0.0;
    double m_loudness = 0.0;
    double m_seconds = 0.0;
    std::vector<float> m_values;
    std::array<std::vector<float>, kBands> m_bandValues;
    std::vector<float> m_harmony;
};

}  // namespace vantor
