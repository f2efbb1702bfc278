#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "engine/wave_summary_file.h"
#include "../engine/audio_fixtures.h"

namespace vantor::test {

constexpr double kRate = 44100.0;

// Stereo PCM as samples, left and right interleaved.
struct Song {
    std::vector<int16_t> samples;

    explicit Song(uint32_t frames) : samples(size_t{frames} * 2, 0) {}
    uint32_t Frames() const { return static_cast<uint32_t>(samples.size() / 2); }
    // Adds a sound to both channels from frame at on, saturating.
    template <typename Sound>
    void Mix(uint32_t at, uint32_t length, Sound sound) {
        for (uint32_t i = 0; i < length && at + i < Frames(); ++i) {
            const double v = sound(i / kRate);
            for (int c = 0; c < 2; ++c) {
                int16_t& s = samples[2 * size_t{at + i} + c];
                s = static_cast<int16_t>(std::clamp(s + std::lround(c == 0 ? v : 0.8 * v), -32768L, 32767L));
            }
        }
    }
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> pcm;
        pcm.reserve(samples.size() * 2);
        for (int16_t s : samples) Put16(pcm, static_cast<uint16_t>(s));
        return pcm;
    }
    // The first frame with a sample beyond the threshold, found by brute force.
    int64_t FirstAbove(int32_t threshold) const {
        for (size_t i = 0; i < samples.size(); ++i)
            if (std::abs(int32_t{samples[i]}) > threshold) return static_cast<int64_t>(i / 2);
        return -1;
    }
};

inline uint32_t BeatFrame(double bpm, int beat, uint32_t offset) {
    return offset + static_cast<uint32_t>(std::lround(beat * 60.0 * kRate / bpm));
}

// A click on every beat: a pulse of one polarity dying away over some 0.1 s.
inline Song ClickTrack(double bpm, double seconds, uint32_t offset = 0, double amplitude = 24000) {
    Song song(static_cast<uint32_t>(seconds * kRate));
    for (int beat = 0; BeatFrame(bpm, beat, offset) < song.Frames(); ++beat) {
        song.Mix(BeatFrame(bpm, beat, offset), 22050,
                 [amplitude](double t) { return amplitude * std::exp(-t / 0.1); });
    }
    return song;
}

// Four to the floor: a kick on every beat, a clap on beats 2 and 4 and a
// closed hi-hat on the off-beats, the two last of noise.
inline Song DrumTrack(double bpm, double seconds, uint32_t offset = 0) {
    Song song(static_cast<uint32_t>(seconds * kRate));
    uint32_t seed = 12345;
    auto noise = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / (1 << 24) * 2 - 1;
    };
    for (int beat = 0; BeatFrame(bpm, beat, offset) < song.Frames(); ++beat) {
        const uint32_t at = BeatFrame(bpm, beat, offset);
        song.Mix(at, 13230, [](double t) {
            // The pitch falls from about 150 Hz to 50 Hz as a kick's does; the
            // speaker's push keeps the thump on one side of the zero line.
            const double phase = 2 * M_PI * (50 * t + 100 * 0.03 * (1 - std::exp(-t / 0.03)));
            return 26000 * std::exp(-t / 0.12) * (0.6 + 0.4 * std::sin(phase));
        });
        if (beat % 2 == 1)
            song.Mix(at, 6615, [&noise](double t) { return 9000 * std::exp(-t / 0.04) * noise(); });
        const uint32_t half = at + static_cast<uint32_t>(std::lround(30.0 * kRate / bpm));
        song.Mix(half, 2205, [&noise](double t) { return 5000 * std::exp(-t / 0.01) * noise(); });
    }
    return song;
}

// A song on disk with its summary built beside it.
struct AnalyzedSong {
    std::string wave;
    std::string summaryPath;
    std::unique_ptr<CWaveFile> source;
    std::unique_ptr<CWaveSummaryFile> summary;

    AnalyzedSong(const TempDir& dir, const std::string& name, const Song& song)
        : wave(dir / (name + ".wav")), summaryPath(dir / (name + ".sm")) {
        WriteBytes(wave, WaveBytes(song.Bytes()));
        source = std::make_unique<CWaveFile>(wave, 100);
        std::atomic<int32_t> percent{0};
        if (!BuildSummary(summaryPath, *source, percent)) ADD_FAILURE() << "no summary for " << name;
        summary = std::make_unique<CWaveSummaryFile>(summaryPath, false);
    }
};

}  // namespace vantor::test
