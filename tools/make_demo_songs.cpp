// Writes synthetic dance tracks for the demo: a kick on every beat, a snare
// on two and four, closed hi-hats on the off-beats and a bass line in eighth
// notes, after half a second of silence. Each song has its own tempo and key,
// so that a set has something to match.
//
//   make_demo_songs DIR SECONDS "Artist - Title (Mix)":BPM:ROOT_HZ ...
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/wave_writer.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kLeadIn = 0.5;

struct Song {
    std::string name;
    double bpm;
    double root;
};

void AddKick(std::vector<float>& mono, size_t at) {
    double phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.25 * kRate) && at + i < mono.size(); ++i) {
        double t = i / kRate;
        double frequency = 45.0 + 110.0 * std::exp(-t * 30.0);
        phase += 2 * kPi * frequency / kRate;
        mono[at + i] += static_cast<float>(0.9 * std::sin(phase) * std::exp(-t * 9.0));
    }
}

void AddNoiseHit(std::vector<float>& mono, size_t at, double seconds, double level, double decay, bool bright,
                 std::mt19937& random) {
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    double previous = 0;
    for (size_t i = 0; i < static_cast<size_t>(seconds * kRate) && at + i < mono.size(); ++i) {
        double t = i / kRate;
        double n = noise(random);
        double sample = bright ? n - previous : n;  // a first difference brightens the hat
        previous = n;
        mono[at + i] += static_cast<float>(level * sample * std::exp(-t * decay));
    }
}

void AddBassNote(std::vector<float>& mono, size_t at, size_t length, double frequency) {
    double phase = 0;
    for (size_t i = 0; i < length && at + i < mono.size(); ++i) {
        double t = i / kRate;
        phase += frequency / kRate;
        double saw = 2.0 * (phase - std::floor(phase)) - 1.0;
        double sine = std::sin(2 * kPi * phase);
        double envelope = std::min(1.0, t * 200.0) * std::exp(-t * 4.0);
        mono[at + i] += static_cast<float>(0.35 * envelope * (0.6 * sine + 0.4 * saw));
    }
}

bool WriteSong(const std::string& directory, const Song& song, double seconds) {
    const size_t frames = static_cast<size_t>(seconds * kRate);
    std::vector<float> drums(frames, 0.0f), bass(frames, 0.0f);
    std::mt19937 random(static_cast<unsigned>(song.bpm * 100));
    const double beat = 60.0 / song.bpm;
    // Bass pattern in semitones over two bars of eighths.
    const int pattern[16] = {0, 0, 12, 0, 3, 0, 10, 0, 0, 0, 12, 0, 7, 5, 3, 0};
    int index = 0;
    for (double t = kLeadIn; t < seconds; t += beat / 2, ++index) {
        size_t at = static_cast<size_t>(t * kRate);
        bool onBeat = index % 2 == 0;
        int beatInBar = (index / 2) % 4;
        if (onBeat) AddKick(drums, at);
        if (onBeat && (beatInBar == 1 || beatInBar == 3)) AddNoiseHit(drums, at, 0.18, 0.45, 18.0, false, random);
        if (!onBeat) AddNoiseHit(drums, at, 0.05, 0.25, 60.0, true, random);
        double frequency = song.root * std::pow(2.0, pattern[index % 16] / 12.0);
        AddBassNote(bass, at, static_cast<size_t>(beat / 2 * kRate * 0.9), frequency);
    }
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        double left = 0.8 * drums[i] + 0.9 * bass[i];
        double right = 0.8 * drums[i] + 0.7 * bass[i];
        pcm[2 * i] = static_cast<int16_t>(std::lround(std::clamp(left, -1.0, 1.0) * 18000));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(std::clamp(right, -1.0, 1.0) * 18000));
    }
    vantor::WaveWriter writer;
    std::string path = directory + "/" + song.name + ".wav";
    if (!writer.Open(path, vantor::WaveFormat{}) || !writer.Write(pcm.data(), pcm.size() * 2) ||
        !writer.Finish(static_cast<uint32_t>(frames))) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%.1f BPM, %.0f s)\n", path.c_str(), song.bpm, seconds);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_demo_songs DIR SECONDS NAME:BPM:ROOT_HZ ...\n");
        return 2;
    }
    std::string directory = argv[1];
    double seconds = std::atof(argv[2]);
    for (int i = 3; i < argc; ++i) {
        std::string argument = argv[i];
        auto second = argument.rfind(':');
        auto first = second == std::string::npos ? std::string::npos : argument.rfind(':', second - 1);
        if (first == std::string::npos || seconds <= 0) {
            std::fprintf(stderr, "bad song \"%s\"\n", argument.c_str());
            return 2;
        }
        Song song{argument.substr(0, first), std::atof(argument.substr(first + 1).c_str()),
                  std::atof(argument.substr(second + 1).c_str())};
        if (!(song.bpm > 0) || !(song.root > 0) || !WriteSong(directory, song, seconds)) return 1;
    }
    return 0;
}
