#include "analysis/beat_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../engine/audio_fixtures.h"
#include "analysis/onset_envelope.h"
#include "analysis/tempo_estimator.h"
#include "engine/wave_file.h"
#include "engine/wave_format.h"
#include "engine/wave_writer.h"
#include "support/rhythm_generator.h"

namespace vantor {
namespace {

using test::Groove;
using test::RhythmGenerator;
using test::RhythmRecipe;

std::string WriteSong(const test::TempDir& dir, const std::string& name, const test::GeneratedSong& song) {
    const std::string path = dir / name;
    WaveWriter writer;
    EXPECT_TRUE(writer.Open(path, WaveFormat{}));
    EXPECT_TRUE(writer.Write(song.samples.data(), song.samples.size() * 2));
    EXPECT_TRUE(writer.Finish(song.Frames()));
    return path;
}

TEST(BeatGrid, ListsTempoFirstBeatAndBarsOfAWaltz) {
    test::TempDir dir;
    RhythmRecipe recipe;
    recipe.bpm = 150.0;
    recipe.groove = Groove::Waltz;
    recipe.beatsPerBar = 3;
    recipe.leadingSilence = 1.3;
    recipe.seconds = 12.0;
    const test::GeneratedSong song = RhythmGenerator(recipe).Generate();
    CWaveFile source(WriteSong(dir, "waltz.wav", song), 100);

    const BeatGrid grid = FindBeatGrid(source, TempoEstimator());
    ASSERT_TRUE(grid.found);
    EXPECT_NEAR(grid.bpm, 150.0, 0.15);
    EXPECT_GE(grid.confidence, TempoEstimator::kMinimumConfidence);
    EXPECT_NEAR(static_cast<double>(grid.firstBeat - song.firstBeat) / 44100.0, 0.0, 0.02);
    EXPECT_DOUBLE_EQ(grid.firstBeatSeconds, grid.firstBeat / 44100.0);
    EXPECT_EQ(grid.beatsPerBar, 3);
    EXPECT_NEAR(static_cast<double>(grid.downbeat - song.firstBeat) / 44100.0, 0.0, 0.02);
    EXPECT_DOUBLE_EQ(grid.downbeatSeconds, grid.downbeat / 44100.0);
}

TEST(BeatGrid, CountsA12By8BarInBeatsOfTheTempoGiven) {
    // Dotted quarters at 64 are given at 128: eight beats to the bar.
    RhythmRecipe recipe;
    recipe.bpm = 64.0;
    recipe.groove = Groove::TwelveEight;
    recipe.seconds = 12.0;
    const test::GeneratedSong song = RhythmGenerator(recipe).Generate();
    const TempoEstimate estimate = TempoEstimator().Estimate(OnsetEnvelope::FromSamples(song.samples.data(), song.Frames(), 44100.0, 2));
    const BeatGrid grid = BeatGrid::FromEstimate(estimate, 44100.0);
    ASSERT_TRUE(grid.found);
    EXPECT_NEAR(grid.bpm, 128.0, 0.15);
    EXPECT_EQ(grid.beatsPerBar, 8);
}

TEST(BeatGrid, FindsNothingInNoiseOrAMissingFile) {
    test::TempDir dir;
    RhythmRecipe noise;
    noise.groove = Groove::Noise;
    noise.seconds = 8.0;
    CWaveFile source(WriteSong(dir, "noise.wav", RhythmGenerator(noise).Generate()), 100);
    const BeatGrid none = FindBeatGrid(source, TempoEstimator());
    EXPECT_FALSE(none.found);
    EXPECT_EQ(none.bpm, 0.0);
    EXPECT_EQ(none.firstBeat, -1);
    EXPECT_EQ(none.downbeat, -1);
    EXPECT_EQ(none.beatsPerBar, 0);
    EXPECT_LT(none.firstBeatSeconds, 0.0);

    CWaveFile missing(dir / "missing.wav", 100);
    EXPECT_FALSE(FindBeatGrid(missing, TempoEstimator()).found);

    // A trusted tempo without bars keeps the bar fields empty; a rate of 0
    // finds nothing.
    TempoEstimate barless{128.0, 0.9, 4410, 0, -1};
    const BeatGrid noBars = BeatGrid::FromEstimate(barless, 44100.0);
    EXPECT_TRUE(noBars.found);
    EXPECT_DOUBLE_EQ(noBars.firstBeatSeconds, 0.1);
    EXPECT_EQ(noBars.beatsPerBar, 0);
    EXPECT_EQ(noBars.downbeat, -1);
    EXPECT_FALSE(BeatGrid::FromEstimate(barless, 0.0).found);
}

}  // namespace
}  // namespace vantor
