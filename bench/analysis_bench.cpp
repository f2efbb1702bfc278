// Song analysis of a six-minute song (summary build, reference level, start
// and tempo) against `aubio tempo` on the same file. Prints "name: value unit".
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/reference_level.h"
#include "analysis/song_start.h"
#include "analysis/tempo_detection.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "engine/wave_summary_file.h"
#include "engine/wave_writer.h"
#include "platform/wave_format.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kRate = 44100;

// Six minutes of a four-to-the-floor pattern at 128 beats a minute after
// half a second of silence: kick on every beat, hi-hat on the off-beats.
bool WriteSong(const std::string& path) {
    const uint32_t frames = static_cast<uint32_t>(360 * kRate);
    std::vector<int16_t> samples(size_t{frames} * 2, 0);
    uint32_t seed = 1;
    for (int beat = 0;; ++beat) {
        const uint32_t at = static_cast<uint32_t>(0.5 * kRate + std::lround(beat * 60 * kRate / 128));
        if (at >= frames) break;
        for (uint32_t i = 0; i < 13230 && at + i < frames; ++i) {
            const double t = i / kRate;
            const double v = 26000 * std::exp(-t / 0.12) * (0.6 + 0.4 * std::sin(2 * M_PI * 60 * t));
            samples[2 * size_t{at + i}] = static_cast<int16_t>(v);
            samples[2 * size_t{at + i} + 1] = static_cast<int16_t>(0.8 * v);
        }
        const uint32_t half = at + static_cast<uint32_t>(std::lround(30 * kRate / 128));
        for (uint32_t i = 0; i < 2205 && half + i < frames; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double v = 5000 * std::exp(-i / kRate / 0.01) * (static_cast<double>(seed >> 8) / (1 << 23) - 1);
            samples[2 * size_t{half + i}] = static_cast<int16_t>(samples[2 * size_t{half + i}] + v);
            samples[2 * size_t{half + i} + 1] = static_cast<int16_t>(samples[2 * size_t{half + i} + 1] + v);
        }
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (int16_t s : samples) {
        bytes.push_back(static_cast<uint8_t>(s));
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    vantor::WaveFormat format;
    format.formatTag = 1;
    format.channels = 2;
    format.samplesPerSec = 44100;
    format.avgBytesPerSec = 44100 * 4;
    format.blockAlign = 4;
    format.bitsPerSample = 16;
    vantor::WaveWriter writer;
    return writer.Open(path, format) && writer.Write(bytes.data(), bytes.size()) && writer.Finish(frames);
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

}  // namespace

int main() {
    const std::string dir = (std::filesystem::temp_directory_path() / ("vantor-analysis-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir);
    const std::string wave = dir + "/song.wav";
    const std::string summaryPath = dir + "/song.sm";
    if (!WriteSong(wave)) {
        std::fprintf(stderr, "cannot write %s\n", wave.c_str());
        return 1;
    }

    // Best of three runs, each from building the summary on.
    double best = 1e9;
    double tempo = 0;
    uint32_t start = 0;
    int32_t level = 0;
    for (int run = 0; run < 3; ++run) {
        const auto began = Clock::now();
        vantor::CWaveFile source(wave, 1000);
        std::atomic<int32_t> percent{0};
        if (!vantor::BuildSummary(summaryPath, source, percent)) return 1;
        vantor::CWaveSummaryFile summary(summaryPath, false);
        level = vantor::MeasureReferenceLevel(summary);
        start = vantor::FindSongStart(source, summary, 0.2, 0).value_or(0);
        tempo = vantor::DetectTempo(source, summary, start, false);
        best = std::min(best, Seconds(began));
    }
    std::printf("analysis_6min_song: %.3f s\n", best);
    std::printf("analysis_6min_song_result: start %u, tempo %.3f, reference level %d\n", start, tempo, level);

    const auto began = Clock::now();
    const std::string command = "aubio tempo -i '" + wave + "' > '" + dir + "/aubio.txt' 2>/dev/null";
    const bool aubio = std::system(command.c_str()) == 0;
    const double aubioSeconds = Seconds(began);
    if (aubio) {
        std::printf("aubio_tempo_6min_song: %.3f s\n", aubioSeconds);
        std::printf("analysis_vs_aubio_time_ratio: %.3f x\n", best / aubioSeconds);
    } else {
        std::printf("aubio_tempo_6min_song: unavailable (install aubio-tools)\n");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
