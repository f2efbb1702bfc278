#include "analysis/song_tempo_detector.h"

#include <gtest/gtest.h>

#include "analysis/song_start.h"
#include "analysis_fixtures.h"
#include "config/configuration.h"

namespace vantor {
namespace {

using test::AnalyzedSong;
using test::TempDir;

// 150 BPM: the beat tracker's rule refuses it, the estimator's range holds it.
TEST(SongTempoDetector, EachDetectorKeepsItsOwnAcceptanceRule) {
    TempDir dir;
    AnalyzedSong song(dir, "fast", test::ClickTrack(150.0, 12.0, 1000));
    const uint32_t start = FindSongStart(*song.source, *song.summary, 0.2, 0).value_or(0);

    CConfiguration config;
    config.SetTempoDetector(CConfiguration::kClassicTempoDetector);
    const SongTempo classic = SongTempoDetector(config).Detect(*song.source, *song.summary, start);
    EXPECT_FALSE(classic.accepted);
    EXPECT_EQ(classic.robust.bpm, 0.0);  // not run

    config.SetTempoDetector(CConfiguration::kRobustTempoDetector);
    config.SetRoundTempo(false);
    const SongTempo robust = SongTempoDetector(config).DetectWithBoth(*song.source, *song.summary, start);
    EXPECT_TRUE(robust.accepted);
    EXPECT_NEAR(robust.tempo, 150.0, 0.3);
    EXPECT_EQ(robust.tempo, robust.robust.bpm);
    EXPECT_GT(robust.classicTempo, 140.0);  // both ran

    // A range that leaves 150 out folds it by an octave.
    config.SetTempoRange(60.0, 119.0);
    config.SetRoundTempo(true);
    EXPECT_EQ(SongTempoDetector(config).Detect(*song.source, *song.summary, start).tempo, 75.0);
}

TEST(SongTempoDetector, RobustDetectorRefusesNoise) {
    TempDir dir;
    test::Song noise(10 * 44100);
    uint32_t seed = 7;
    noise.Mix(0, noise.Frames(), [&seed](double) {
        seed = seed * 1664525u + 1013904223u;
        return 8000.0 * (static_cast<double>(seed >> 8) / (1 << 24) * 2 - 1);
    });
    AnalyzedSong song(dir, "noise", noise);
    CConfiguration config;
    const SongTempo result = SongTempoDetector(config).Detect(*song.source, *song.summary, 0);
    EXPECT_FALSE(result.accepted);
}

}  // namespace
}  // namespace vantor
