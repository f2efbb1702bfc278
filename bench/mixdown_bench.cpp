// Mixdown speed of an 8-track set of 10-minute songs played at ratios other
// than 1, next to sox mixing the same eight files with a speed change each;
// and the peak memory of mixing down a 60-minute set against a 10-minute one.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "database/music_database.h"
#include "editing/segment_placement.h"
#include "engine/set_stream.h"
#include "engine/stream_disk_writer.h"
#include "engine/wave_writer.h"

using namespace vantor;
namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 8;
constexpr uint32_t kSongFrames = 10 * 60 * 44100;
const double kRatios[kTracks] = {0.97, 1.013, 0.991, 1.025, 1.004, 0.985, 1.031, 0.978};

std::string SongPath(const fs::path& dir, int i) { return (dir / ("song" + std::to_string(i) + ".wav")).string(); }

void MakeSongs(const fs::path& dir, CMusicDatabase& database) {
    std::vector<int16_t> pcm(static_cast<size_t>(kSongFrames) * 2);
    for (int s = 0; s < kTracks; ++s) {
        std::string path = SongPath(dir, s);
        if (!fs::exists(path)) {
            std::mt19937 random(static_cast<unsigned>(s));
            double phase = 0;
            for (uint32_t n = 0; n < kSongFrames; ++n) {
                phase += (110.0 + 20 * s) / 44100.0;
                double v = 0.3 * std::sin(2 * M_PI * phase) + 0.05 * ((random() % 2001) / 1000.0 - 1.0);
                pcm[2 * n] = pcm[2 * n + 1] = static_cast<int16_t>(v * 32767);
            }
            WaveWriter writer;
            writer.Open(path, WaveFormat{});
            writer.Write(pcm.data(), pcm.size() * 2);
            writer.Finish(kSongFrames);
        }
        CSongProfile profile;
        profile.SetLocalPath(path);
        database.PutSong(profile);
    }
}

// Each track plays its song back to back until the set is long enough.
RefPtr<CMusicSet> MakeSet(const fs::path& dir, double minutes) {
    NewSetOptions options;
    options.audioTracks = kTracks;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    const int64_t length = static_cast<int64_t>(minutes * 60 * 44100);
    for (int t = 0; t < kTracks; ++t) {
        int64_t at = t * 44100;  // staggered starts
        while (at < length) {
            auto design = MakeRef<CSegmentDesign>();
            design->GetSegment()->SetSongKey(SongPath(dir, t));
            design->GetSegment()->SetEnd(static_cast<int32_t>(kSongFrames));
            design->GetSegment()->SetRatio(kRatios[t]);
            InsertSegmentEvent(*set, t + 1, static_cast<int32_t>(at), design.get(), nullptr);
            at += design->GetSegment()->GetTimelineLength() + 2;
        }
    }
    return set;
}

double Mixdown(const fs::path& dir, CMusicDatabase& database, double minutes, const std::string& out) {
    RefPtr<CMusicSet> set = MakeSet(dir, minutes);
    auto start = std::chrono::steady_clock::now();
    {
        CSetStream stream(nullptr, &database, set.get(), false);
        CStreamDiskWriter writer(&stream);
        if (!writer.Open(out, WaveFormat{})) return -1;
        writer.Start(0, static_cast<uint32_t>(minutes * 60 * 44100), nullptr);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak resident memory (KiB) of a child process that mixes the set down.
long PeakMemoryKiB(const fs::path& dir, double minutes) {
    pid_t child = fork();
    if (child == 0) {
        CMusicDatabase database;
        database.Open(dir.string());
        double took = Mixdown(dir, database, minutes, (dir / "peak.wav").string());
        fs::remove(dir / "peak.wav");
        _exit(took < 0 ? 1 : 0);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main() {
    fs::path dir = fs::temp_directory_path() / "vantor_mixdown_bench";
    fs::create_directories(dir);
    CMusicDatabase database;
    if (!database.Open(dir.string())) return 1;
    MakeSongs(dir, database);

    const double minutes = 10.0;
    std::string out = (dir / "mix.wav").string();
    double took = Mixdown(dir, database, minutes, out);
    double realtime = minutes * 60 / took;
    std::printf("mixdown_8_tracks_10_min: %.2f s\n", took);
    std::printf("mixdown_speed: %.0f x realtime\n", realtime);

    std::string command = "sox -m";
    for (int t = 0; t < kTracks; ++t) {
        char part[512];
        std::snprintf(part, sizeof part, " \"|sox %s -p speed %.3f\"", SongPath(dir, t).c_str(), 1.0 / kRatios[t]);
        command += part;
    }
    command += " " + (dir / "sox.wav").string() + " 2>/dev/null";
    auto start = std::chrono::steady_clock::now();
    int sox = std::system(command.c_str());
    double soxTook = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (sox == 0) {
        std::printf("sox_mix_8_tracks_10_min: %.2f s\n", soxTook);
        std::printf("sox_speed: %.0f x realtime\n", minutes * 60 / soxTook);
        std::printf("mixdown_vs_sox: %.2f x faster\n", soxTook / took);
    } else {
        std::printf("sox_mix_8_tracks_10_min: unavailable\n");
    }
    fs::remove(out);
    fs::remove(dir / "sox.wav");

    long peak10 = PeakMemoryKiB(dir, 10.0);
    long peak60 = PeakMemoryKiB(dir, 60.0);
    std::printf("mixdown_peak_memory_10_min_set: %.1f MiB\n", peak10 / 1024.0);
    std::printf("mixdown_peak_memory_60_min_set: %.1f MiB\n", peak60 / 1024.0);
    return 0;
}
