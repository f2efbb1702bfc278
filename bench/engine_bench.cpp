// Engine throughput: MP3-to-wave conversion next to the mpg123 program on the
// same file, and resampled reading at ratios 1.0, 1.0123 (frames repeated) and
// 0.97 (frames skipped).
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/mp3_conversion.h"
#include "engine/resampled_wave_file.h"
#include "engine/wave_writer.h"
#include "platform/wave_format.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Four minutes of a two-tone signal with a little noise: a song's length.
std::vector<int16_t> TestSignal(uint32_t frames) {
    std::vector<int16_t> pcm(frames * 2);
    uint32_t seed = 1;
    for (uint32_t i = 0; i < frames; ++i) {
        seed = seed * 1103515245 + 12345;
        double noise = static_cast<int>((seed >> 16) & 0x3FF) - 512;
        double t = i / 44100.0;
        pcm[2 * i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 220 * t) + noise);
        pcm[2 * i + 1] = static_cast<int16_t>(7000 * std::sin(2 * M_PI * 1375 * t) - noise);
    }
    return pcm;
}

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

template <class Work>
double Best(int runs, Work work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        if (!work()) return -1;
        best = std::min(best, Seconds(start));
    }
    return best;
}

}  // namespace

int main() {
    const std::string dir = (std::filesystem::temp_directory_path() / ("vantor-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir);
    const uint32_t frames = 240 * 44100;
    auto pcm = TestSignal(frames);
    const std::string wave = dir + "/song.wav", mp3 = dir + "/song.mp3";
    {
        vantor::WaveWriter writer;
        if (!writer.Open(wave, vantor::WaveFormat{}) || !writer.Write(pcm.data(), pcm.size() * 2) ||
            !writer.Finish(frames)) {
            std::fprintf(stderr, "cannot write %s\n", wave.c_str());
            return 1;
        }
    }
    std::string encode = "lame --quiet --cbr -b 192 '" + wave + "' '" + mp3 + "'";
    if (std::system(encode.c_str()) != 0) {
        std::fprintf(stderr, "lame failed\n");
        return 1;
    }

    const std::string converted = dir + "/converted.wav";
    double ours = Best(3, [&] { return vantor::ConvertMp3ToWave(mp3, converted); });
    std::string peerCommand = "mpg123 -q -w '" + dir + "/peer.wav' '" + mp3 + "'";
    double peer = Best(3, [&] { return std::system(peerCommand.c_str()) == 0; });
    const double audio = frames / 44100.0;
    std::printf("mp3_to_wave_conversion: %.1f x realtime\n", audio / ours);
    std::printf("mpg123_program_conversion: %.1f x realtime\n", audio / peer);
    std::printf("mp3_to_wave_speed_vs_mpg123: %.2f ratio\n", peer / ours);

    // Besides the wall clock, the reading thread's own processor time: on a
    // shared machine it does not count the time other processes took.
    for (double ratio : {1.0, 1.0123, 0.97}) {
        std::vector<uint8_t> block(2560 * 4);
        uint64_t delivered = 0;
        double cpu = 1e30;
        double seconds = Best(3, [&] {
            const double cpuStart = ThreadSeconds();
            vantor::CResampledWaveFile file(wave, 100);
            file.SetRatio(ratio);
            delivered = 0;
            uint32_t got;
            while (file.Tell() < file.GetLength() && (got = file.ReadFrames(block.data(), 2560)) > 0) delivered += got;
            cpu = std::min(cpu, ThreadSeconds() - cpuStart);
            return delivered > 0;
        });
        std::printf("resampled_read_r%.4f: %.3g frames/s\n", ratio, delivered / seconds);
        std::printf("resampled_read_cpu_r%.4f: %.3g frames/s\n", ratio, delivered / cpu);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
