// The set editor's full repaint: a 12-track set two hours long, at the
// widest zoom (the whole set in the width), drawn into an offscreen image.
// The first frame reads the summaries; the others find their columns read.
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "database/music_database.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "engine/wave_writer.h"
#include "model/effect_profile.h"
#include "model/event.h"
#include "model/music_set.h"
#include "model/segment_design.h"
#include "model/set_file.h"
#include "platform/scripted_user_interface.h"
#include "platform/wave_format.h"
#include "set_timeline_widget.h"
#include "views/music_set_view.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTracks = 12;
constexpr int kSongs = 4;
constexpr double kSongSeconds = 75.0;
constexpr double kSetSeconds = 2 * 3600.0;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Processor time of this thread, which a busy machine disturbs less than the clock.
double ThreadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A song: a beat of decaying bursts over a slow swell, so the waveform has shape.
std::vector<int16_t> Song(uint32_t frames, int variant) {
    std::vector<int16_t> pcm(frames * 2);
    const double beat = 60.0 / (124.0 + 2 * variant) * 44100;
    for (uint32_t i = 0; i < frames; ++i) {
        const double inBeat = std::fmod(i, beat) / 44100.0;
        const double swell = 0.35 + 0.3 * std::sin(i / 44100.0 * 0.2 + variant);
        const double value = (swell * std::sin(i * 0.05) + std::exp(-inBeat * 12) * std::sin(i * 0.011)) * 14000;
        pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(std::clamp(value, -32000.0, 32000.0));
    }
    return pcm;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    using namespace vantor;
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("vantor-set-editor-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir);
    struct Cleanup {
        std::string dir;
        ~Cleanup() { std::filesystem::remove_all(dir); }
    } cleanup{dir};

    CMusicDatabase database;
    if (!database.Open(dir + "/")) return 1;
    const auto frames = static_cast<uint32_t>(kSongSeconds * 44100);
    std::vector<std::string> keys;
    for (int s = 0; s < kSongs; ++s) {
        const std::string path = dir + "/song" + std::to_string(s) + ".wav";
        auto pcm = Song(frames, s);
        WaveWriter writer;
        if (!writer.Open(path, WaveFormat{}) || !writer.Write(pcm.data(), pcm.size() * 2) || !writer.Finish(frames))
            return 1;
        CSongProfile profile;
        profile.SetLocalPath(path);
        profile.SetTitle("Song " + std::to_string(s));
        profile.SetTempo(124.0 + 2 * s);
        std::atomic<int32_t> percent{0};
        if (!database.PutSong(profile) || !BuildSongSummary(profile, percent)) {
            std::fprintf(stderr, "cannot prepare %s\n", path.c_str());
            return 1;
        }
        keys.push_back(path);
    }

    // Segments of a minute with a fade out over their last 10 s, each track
    // offset a little from the one above, until two hours are full.
    NewSetOptions options;
    options.audioTracks = kTracks;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    int segments = 0;
    for (int t = 1; t <= kTracks; ++t) {
        for (double at = t * 3.0; at + 60 < kSetSeconds; at += 62.0, ++segments) {
            auto design = MakeRef<CSegmentDesign>();
            design->SetName("Segment " + std::to_string(segments));
            design->SetTempo(130.0);
            design->SetNormalization(1.2);
            CSegment& segment = *design->GetSegment();
            segment.SetSongKey(keys[static_cast<size_t>(segments % kSongs)]);
            segment.SetStart(44100 * 5);
            segment.SetEnd(44100 * 65);
            segment.SetRatio(1.0 + 0.01 * (t % 3));
            auto fade = MakeRef<CEffectProfile>();
            fade->SetEffectName("Volume");
            fade->SetParameterName("Level");
            fade->AddPiece(44100 * 5, 44100 * 55, 1.0, 1.0);
            fade->AddPiece(44100 * 55 + 1, 44100 * 65, 1.0, 0.0);
            design->GetEffectProfiles().Add(fade.get());
            auto* event = new CEvent();
            event->SetPosition(static_cast<int32_t>(at * 44100));
            event->SetSegment(design.get());
            set->GetTrack(t)->AddEvent(event);
        }
    }

    ScriptedUserInterface ui;
    CConfiguration config;
    config.SetDefaults();
    CMusicSetView view(ui, &database, set.get(), dir + "/bench.set", config);
    gui::SetTimelineWidget timeline(view, &database, nullptr);
    timeline.resize(1920, timeline.sizeHint().height());
    timeline.ShowWhole();
    QImage image(timeline.size(), QImage::Format_RGB32);

    std::vector<double> processor;
    auto frame = [&] {
        const auto start = Clock::now();
        const double startProcessor = ThreadMilliseconds();
        QPainter painter(&image);
        timeline.Render(painter, image.rect());
        painter.end();
        processor.push_back(ThreadMilliseconds() - startProcessor);
        return Milliseconds(start);
    };
    const double cold = frame();
    processor.clear();
    std::vector<double> warm;
    for (int i = 0; i < 30; ++i) warm.push_back(frame());
    std::sort(warm.begin(), warm.end());
    std::sort(processor.begin(), processor.end());
    std::printf("set_editor_segments: %d segments\n", segments);
    std::printf("set_editor_repaint_first_frame: %.2f ms\n", cold);
    std::printf("set_editor_full_repaint: %.2f ms\n", warm[warm.size() / 2]);
    std::printf("set_editor_full_repaint_processor: %.2f ms\n", processor[processor.size() / 2]);
    if (argc > 1) image.save(argv[1]);
    return 0;
}
