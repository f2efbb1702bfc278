#pragma once

// Songs with a known tempo for the tempo tests and the tempo benchmark:
// drums, bass and a pad synthesised from a short description, deterministic
// for a given seed.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor::test {

enum class Groove {
    FourOnTheFloor,  // kick on every beat, claps on the back beats, off-beat hats
    Broken,          // syncopated kicks, snares on the back beats, hats on eighths
    HalfTime,        // kick on the bar, snare on its middle, hats on eighths
    Shuffle,         // kick on one and three, snare on two and four, hats and bass long-short in triplets
    Waltz,           // kick and bass on the bar, snare and chord on the other beats
    TripletHats,     // hats on every triplet eighth over a straight kick and snare
    TwelveEight,     // beats of three eighths: hats on each, kick on one, snare on two and four
    Silence,         // the non-musical cases: no tempo to find
    Noise,
    Tone,
};

struct RhythmRecipe {
    std::string name;
    double bpm = 120.0;
    Groove groove = Groove::FourOnTheFloor;
    int beatsPerBar = 4;
    double swing = 0.0;           // off-beat eighths delayed by this share of half a beat
    double jitterSeconds = 0.0;   // each hit moved by up to this, either way
    double leadingSilence = 0.0;  // seconds before the first beat
    double quietIntro = 0.0;      // seconds of hats and pad at -20 dB before the drums
    double seconds = 30.0;        // length after the leading silence
    uint32_t seed = 1;

    bool HasTempo() const { return groove != Groove::Silence && groove != Groove::Noise && groove != Groove::Tone; }
    // With TwelveEight the beat is the dotted quarter of three eighths.
};

struct GeneratedSong {
    std::vector<int16_t> samples;  // stereo, interleaved, 44100 frames per second
    int64_t firstBeat = -1;        // frame of the first beat
    uint32_t Frames() const { return static_cast<uint32_t>(samples.size() / 2); }
};

class RhythmGenerator {
public:
    static constexpr double kRate = 44100.0;

    explicit RhythmGenerator(const RhythmRecipe& recipe) : m_recipe(recipe), m_seed(recipe.seed * 2654435761u + 1) {}

    GeneratedSong Generate() {
        const RhythmRecipe& r = m_recipe;
        const double total = r.leadingSilence + r.seconds;
        m_mix.assign(static_cast<size_t>(total * kRate), 0.0f);
        const double start = r.leadingSilence * kRate;
        switch (r.groove) {
            case Groove::Silence:
                break;
            case Groove::Noise:
                for (size_t i = static_cast<size_t>(start); i < m_mix.size(); ++i) m_mix[i] = static_cast<float>(6000 * Noise());
                break;
            case Groove::Tone:
                for (size_t i = static_cast<size_t>(start); i < m_mix.size(); ++i)
                    m_mix[i] = static_cast<float>(12000 * std::sin(2 * M_PI * 440 * (static_cast<double>(i) - start) / kRate));
                break;
            default:
                Play(start);
        }
        GeneratedSong song;
        song.samples.resize(m_mix.size() * 2);
        for (size_t i = 0; i < m_mix.size(); ++i) {
            const auto v = static_cast<int16_t>(std::clamp(std::lround(m_mix[i]), -32768L, 32767L));
            song.samples[2 * i] = v;
            song.samples[2 * i + 1] = static_cast<int16_t>(std::clamp(std::lround(0.9 * m_mix[i]), -32768L, 32767L));
        }
        if (r.HasTempo()) song.firstBeat = std::lround(start);
        return song;
    }

private:
    double Noise() {
        m_seed = m_seed * 1664525u + 1013904223u;
        return static_cast<double>(m_seed >> 8) / (1 << 24) * 2 - 1;
    }
    double Jitter() { return m_recipe.jitterSeconds * Noise() * kRate; }

    template <typename Sound>
    void Add(double at, double seconds, double gain, Sound sound) {
        if (at < 0) at = 0;
        const auto first = static_cast<size_t>(at);
        const auto length = static_cast<size_t>(seconds * kRate);
        for (size_t i = 0; i < length && first + i < m_mix.size(); ++i)
            m_mix[first + i] += static_cast<float>(gain * sound(static_cast<double>(i) / kRate));
    }

    void Kick(double at, double gain) {
        Add(at, 0.3, gain, [](double t) {
            const double phase = 2 * M_PI * (50 * t + 3.0 * (1 - std::exp(-t / 0.03)));
            return 20000 * std::exp(-t / 0.1) * std::sin(phase);
        });
    }
    void Snare(double at, double gain) {
        Add(at, 0.2, gain, [this](double t) {
            return std::exp(-t / 0.05) * (7000 * Noise() + 5000 * std::sin(2 * M_PI * 185 * t));
        });
    }
    void Hat(double at, double gain) {
        double last = 0;
        Add(at, 0.06, gain, [this, &last](double t) {
            const double n = Noise();
            const double high = n - last;  // a first difference keeps the hiss high
            last = n;
            return 3000 * std::exp(-t / 0.015) * high;
        });
    }
    void Bass(double at, double seconds, double hz, double gain) {
        Add(at, seconds, gain, [hz, seconds](double t) {
            const double envelope = std::min(1.0, t / 0.005) * std::min(1.0, (seconds - t) / 0.01);
            return 6000 * envelope * std::sin(2 * M_PI * hz * t);
        });
    }
    void Pad(double at, double seconds, double root, double gain) {
        Add(at, seconds, gain, [root, seconds](double t) {
            const double envelope = std::min(1.0, t / 0.4) * std::min(1.0, (seconds - t) / 0.4);
            return 1500 * envelope *
                   (std::sin(2 * M_PI * root * t) + std::sin(2 * M_PI * root * 1.26 * t) + std::sin(2 * M_PI * root * 1.5 * t));
        });
    }

    void Chord(double at, double seconds, double root, double gain) {
        Add(at, seconds, gain, [root, seconds](double t) {
            const double envelope = std::min(1.0, t / 0.003) * std::exp(-t / 0.15) * std::min(1.0, (seconds - t) / 0.01);
            return 2500 * envelope * (std::sin(2 * M_PI * root * t) + std::sin(2 * M_PI * root * 1.26 * t) + std::sin(2 * M_PI * root * 1.5 * t));
        });
    }

    // The grooves with triplets or a bar of their own, played beat by beat.
    void PlayBeat(double on, double beat, int b, double root, double velocity) {
        const RhythmRecipe& r = m_recipe;
        const double third = beat / 3;
        switch (r.groove) {
            case Groove::Shuffle:
                Hat(on + Jitter(), velocity);
                Hat(on + 2 * third + Jitter(), 0.7 * velocity);
                if (b % 2 == 0) Kick(on + Jitter(), velocity);
                if (b % 2 == 1) Snare(on + Jitter(), velocity);
                Bass(on + Jitter(), 0.6 * beat / kRate, root / 4, velocity);
                Bass(on + 2 * third + Jitter(), 0.3 * beat / kRate, root / 4 * 1.5, 0.8 * velocity);
                break;
            case Groove::Waltz:
                Hat(on + Jitter(), 0.6 * velocity);
                if (b == 0) {
                    Kick(on + Jitter(), velocity);
                    Bass(on + Jitter(), 0.9 * beat / kRate, root / 4, velocity);
                } else {
                    Snare(on + Jitter(), 0.5 * velocity);
                    Chord(on + Jitter(), 0.8 * beat / kRate, root, velocity);
                }
                break;
            case Groove::TripletHats:
                for (int e = 0; e < 3; ++e) Hat(on + e * third + Jitter(), (e == 0 ? 1.0 : 0.7) * velocity);
                if (b % 2 == 0) Kick(on + Jitter(), velocity);
                if (b % 2 == 1) Snare(on + Jitter(), velocity);
                if (b % 2 == 0) Bass(on + Jitter(), 1.8 * beat / kRate, root / 4, velocity);
                break;
            case Groove::TwelveEight:
                for (int e = 0; e < 3; ++e) {
                    Hat(on + e * third + Jitter(), (e == 0 ? 1.0 : 0.6) * velocity);
                    Chord(on + e * third + Jitter(), 0.3 * beat / kRate, root * (e == 0 ? 1.0 : 1.5), (e == 0 ? 0.6 : 0.4) * velocity);
                }
                if (b == 0 || b == 2) Kick(on + Jitter(), velocity);
                if (b % 2 == 1) Snare(on + Jitter(), velocity);
                if (b % 2 == 0) Bass(on + Jitter(), 1.5 * beat / kRate, root / 4, velocity);
                break;
            default:
                break;
        }
    }

    void Play(double start) {
        const RhythmRecipe& r = m_recipe;
        const double beat = 60.0 * kRate / r.bpm;
        const double end = start + r.seconds * kRate;
        const double introEnd = start + r.quietIntro * kRate;
        const double bar = beat * r.beatsPerBar;
        static constexpr double kRoots[] = {220.0, 196.0, 174.6, 246.9};
        int barIndex = 0;
        for (double barStart = start; barStart < end; barStart += bar, ++barIndex) {
            const double root = kRoots[barIndex % 4];
            const bool intro = barStart < introEnd;
            const double level = intro ? 0.1 : 1.0;
            Pad(barStart, bar / kRate, root, level);
            for (int b = 0; b < r.beatsPerBar; ++b) {
                const double on = barStart + b * beat;
                const double off = on + beat / 2 * (1 + r.swing);
                const double velocity = 0.8 + 0.2 * Noise();
                if (r.groove == Groove::Shuffle || r.groove == Groove::Waltz || r.groove == Groove::TripletHats ||
                    r.groove == Groove::TwelveEight) {
                    if (!intro) PlayBeat(on, beat, b, root, velocity);
                    continue;
                }
                Hat(off + Jitter(), level * velocity);
                if (r.groove != Groove::FourOnTheFloor) Hat(on + Jitter(), level * 0.6 * velocity);
                if (intro) continue;
                switch (r.groove) {
                    case Groove::FourOnTheFloor:
                        Kick(on + Jitter(), velocity);
                        if (b % 2 == 1) Snare(on + Jitter(), 0.8 * velocity);
                        Bass(off + Jitter(), 0.4 * beat / kRate, root / 4, velocity);
                        break;
                    case Groove::Broken:
                        if (b == 0) Kick(on + Jitter(), velocity);
                        if (b == 1 || b == 3) Snare(on + Jitter(), velocity);
                        if (b == 2) Kick(off + Jitter(), 0.9 * velocity);  // the kick that breaks the beat
                        if (b == r.beatsPerBar - 1 && r.beatsPerBar == 3) Kick(on + Jitter(), 0.7 * velocity);
                        if (b == 2 && r.beatsPerBar == 4) Kick(on + beat * 0.75 + Jitter(), 0.5 * velocity);
                        if (b % 2 == 0) Bass(on + Jitter(), 0.7 * beat / kRate, root / 4, velocity);
                        break;
                    case Groove::HalfTime:
                        if (b == 0) Kick(on + Jitter(), velocity);
                        if (b == r.beatsPerBar / 2) Snare(on + Jitter(), velocity);
                        if (b == 0) Bass(on + Jitter(), 1.5 * beat / kRate, root / 4, velocity);
                        break;
                    default:
                        break;
                }
            }
        }
    }

    RhythmRecipe m_recipe;
    uint32_t m_seed;
    std::vector<float> m_mix;
};

// A corpus covering 70 to 180 BPM: straight and swung, four to the floor,
// broken and half-time beats, 3/4 and 4/4, humanised timing, leading silence
// and quiet intros, followed by silence, noise and a single tone.
inline std::vector<RhythmRecipe> RhythmCorpus(int songs, double seconds) {
    std::vector<RhythmRecipe> corpus;
    for (int i = 0; i < songs; ++i) {
        RhythmRecipe r;
        // Spread over the range by the golden ratio, to two decimals, so no
        // two songs share a tempo and whole numbers are rare.
        const double spread = std::fmod(0.5 + i * 0.6180339887, 1.0);
        r.bpm = std::round((70.0 + 110.0 * spread) * 100) / 100;
        r.groove = i % 3 == 0 ? Groove::FourOnTheFloor : i % 3 == 1 ? Groove::Broken : Groove::HalfTime;
        if (i % 7 == 3) r.groove = Groove::FourOnTheFloor;
        r.beatsPerBar = i % 5 == 2 ? 3 : 4;
        r.swing = i % 4 == 1 ? 1.0 / 3 : 0.0;
        r.jitterSeconds = i % 2 == 0 ? 0.004 + 0.002 * (i % 4) : 0.0;
        r.leadingSilence = i % 4 == 3 ? 0.5 + 0.37 * (i % 7) : 0.0;
        r.quietIntro = i % 6 == 4 ? std::min(8.0, seconds / 4) : 0.0;
        r.seconds = seconds;
        r.seed = static_cast<uint32_t>(1000 + i);
        static const char* const kGrooves[] = {"four", "broken", "halftime"};
        r.name = std::string(kGrooves[static_cast<int>(r.groove)]) + (r.beatsPerBar == 3 ? "-3/4" : "") +
                 (r.swing > 0 ? "-swung" : "") + (r.jitterSeconds > 0 ? "-human" : "") +
                 (r.leadingSilence > 0 ? "-silence" : "") + (r.quietIntro > 0 ? "-intro" : "");
        corpus.push_back(r);
    }
    for (Groove g : {Groove::Silence, Groove::Noise, Groove::Tone}) {
        RhythmRecipe r;
        r.groove = g;
        r.bpm = 0;
        r.seconds = seconds;
        r.name = g == Groove::Silence ? "silence" : g == Groove::Noise ? "noise" : "tone";
        corpus.push_back(r);
    }
    return corpus;
}

}  // namespace vantor::test
