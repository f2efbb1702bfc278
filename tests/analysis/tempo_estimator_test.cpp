#include "analysis/tempo_estimator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "../engine/audio_fixtures.h"
#include "analysis/onset_envelope.h"
#include "engine/wave_file.h"
#include "engine/wave_format.h"
#include "engine/wave_writer.h"
#include "support/rhythm_generator.h"

namespace vantor {
namespace {

using test::Groove;
using test::RhythmGenerator;
using test::RhythmRecipe;

TempoEstimate EstimateOf(const test::GeneratedSong& song, const TempoEstimator& estimator = TempoEstimator()) {
    return estimator.Estimate(OnsetEnvelope::FromSamples(song.samples.data(), song.Frames(), 44100.0, 2));
}

RhythmRecipe Recipe(double bpm, Groove groove, double seconds = 8.0) {
    RhythmRecipe r;
    r.bpm = bpm;
    r.groove = groove;
    r.seconds = seconds;
    return r;
}

// How far the first beat lies from the nearest true beat, in seconds.
double BeatPhaseError(int64_t found, int64_t truth, double bpm) {
    const double beat = 60.0 * 44100.0 / bpm;
    return std::remainder(static_cast<double>(found - truth), beat) / 44100.0;
}

// A short corpus of every kind of song the benchmark measures at length; the
// margins leave room for the few seconds each song lasts.
TEST(TempoEstimator, FindsMostTempos) {
    const TempoEstimator estimator;
    int within = 0, songs = 0;
    std::string misses;
    for (const RhythmRecipe& recipe : test::RhythmCorpus(12, 8.0)) {
        if (!recipe.HasTempo()) continue;
        const TempoEstimate estimate = EstimateOf(RhythmGenerator(recipe).Generate(), estimator);
        const double expected = estimator.Fold(recipe.bpm);
        ++songs;
        if (TempoEstimator::IsTrusted(estimate) && std::abs(estimate.bpm / expected - 1) <= 0.01)
            ++within;
        else
            misses += recipe.name + " " + std::to_string(recipe.bpm) + " -> " + std::to_string(estimate.bpm) + "; ";
    }
    EXPECT_GE(within, songs - 2) << misses;
}

// The confusions users complain of: twice, half or two thirds of the tempo.
TEST(TempoEstimator, KeepsTheBeatAgainstItsMultiples) {
    struct Case {
        double bpm;
        Groove groove;
        int beatsPerBar;
        double swing;
    };
    for (const Case& c : {Case{92.0, Groove::HalfTime, 4, 0.0}, Case{120.0, Groove::FourOnTheFloor, 3, 0.0},
                          Case{126.0, Groove::FourOnTheFloor, 4, 1.0 / 3}, Case{100.0, Groove::Broken, 4, 1.0 / 3},
                          Case{170.0, Groove::Broken, 4, 0.0}}) {
        RhythmRecipe recipe = Recipe(c.bpm, c.groove);
        recipe.beatsPerBar = c.beatsPerBar;
        recipe.swing = c.swing;
        const TempoEstimate estimate = EstimateOf(RhythmGenerator(recipe).Generate());
        EXPECT_NEAR(estimate.bpm, c.bpm, c.bpm * 0.01) << c.bpm << " in " << c.beatsPerBar << "/4";
        EXPECT_TRUE(TempoEstimator::IsTrusted(estimate)) << c.bpm;
    }
}

// The rival classes 3:2 and 4:3 apart: a triplet feel or a bar of three
// must not pull the beat to its dotted-quarter or triplet pulse, nor to the bar.
TEST(TempoEstimator, KeepsTheBeatAgainstItsRivalsAThirdAndAHalfAway) {
    struct Case {
        const char* name;
        double bpm;  // of the beat a listener taps
        Groove groove;
        int beatsPerBar;
        double expected;  // folded into 88-175
    };
    for (const Case& c : {Case{"shuffle at 120, not 160 or 90", 120.0, Groove::Shuffle, 4, 120.0},
                          Case{"shuffle at 100", 100.0, Groove::Shuffle, 4, 100.0},
                          Case{"waltz at 150, not 100", 150.0, Groove::Waltz, 3, 150.0},
                          Case{"waltz at 130", 130.0, Groove::Waltz, 3, 130.0},
                          Case{"triplet hats over a straight kick at 110", 110.0, Groove::TripletHats, 4, 110.0},
                          Case{"triplet hats at 96", 96.0, Groove::TripletHats, 4, 96.0},
                          // Dotted quarters at 64: the eighths run at 192.
                          Case{"12/8 ballad at 64, not 96", 64.0, Groove::TwelveEight, 4, 128.0}}) {
        RhythmRecipe recipe = Recipe(c.bpm, c.groove, 10.0);
        recipe.beatsPerBar = c.beatsPerBar;
        recipe.jitterSeconds = 0.004;
        const TempoEstimate estimate = EstimateOf(RhythmGenerator(recipe).Generate());
        EXPECT_NEAR(estimate.bpm, c.expected, c.expected * 0.01) << c.name;
        EXPECT_TRUE(TempoEstimator::IsTrusted(estimate)) << c.name;
    }
}

// Bars: a waltz's in threes on its bass, a 12/8 bar of four dotted quarters
// counted in the doubled tempo's beats, and the first downbeat on the song's
// first beat.
TEST(TempoEstimator, FindsBarsAndTheirFirstBeat) {
    struct Case {
        double bpm;
        Groove groove;
        int beatsPerBar;
        int expectedBeatsPerBar;
    };
    for (const Case& c : {Case{150.0, Groove::Waltz, 3, 3}, Case{122.0, Groove::Broken, 4, 4}, Case{64.0, Groove::TwelveEight, 4, 8}}) {
        RhythmRecipe recipe = Recipe(c.bpm, c.groove, 12.0);
        recipe.beatsPerBar = c.beatsPerBar;
        recipe.leadingSilence = 0.7;
        const test::GeneratedSong song = RhythmGenerator(recipe).Generate();
        const TempoEstimate estimate = EstimateOf(song);
        EXPECT_EQ(estimate.beatsPerBar, c.expectedBeatsPerBar) << c.bpm;
        EXPECT_NEAR(static_cast<double>(estimate.downbeat - song.firstBeat) / 44100.0, 0.0, 0.02) << c.bpm;
        EXPECT_NEAR(static_cast<double>(estimate.firstBeat - song.firstBeat) / 44100.0, 0.0, 0.02) << c.bpm;
    }
    const TempoEstimate silent = EstimateOf(RhythmGenerator(Recipe(0, Groove::Silence)).Generate());
    EXPECT_EQ(silent.beatsPerBar, 0);
    EXPECT_EQ(silent.downbeat, -1);
}

TEST(TempoEstimator, MeasuresASteadySongToAHundredthOfABeatPerMinute) {
    RhythmRecipe recipe = Recipe(128.37, Groove::FourOnTheFloor, 20.0);
    recipe.jitterSeconds = 0.004;
    const TempoEstimate estimate = EstimateOf(RhythmGenerator(recipe).Generate());
    EXPECT_NEAR(estimate.bpm, 128.37, 0.03);
    EXPECT_GT(estimate.confidence, 0.5);
}

TEST(TempoEstimator, FirstBeatLandsOnTheBeatNotBetweenBeats) {
    RhythmRecipe late = Recipe(124.0, Groove::FourOnTheFloor);
    late.leadingSilence = 2.3;
    const test::GeneratedSong song = RhythmGenerator(late).Generate();
    const TempoEstimate estimate = EstimateOf(song);
    EXPECT_NEAR(static_cast<double>(estimate.firstBeat - song.firstBeat) / 44100.0, 0.0, 0.012);

    // Quiet hats before the drums: the grid still sits on the beats.
    RhythmRecipe intro = Recipe(137.0, Groove::Broken, 10.0);
    intro.quietIntro = 3.0;
    const test::GeneratedSong introSong = RhythmGenerator(intro).Generate();
    const TempoEstimate introEstimate = EstimateOf(introSong);
    EXPECT_NEAR(BeatPhaseError(introEstimate.firstBeat, introSong.firstBeat, 137.0), 0.0, 0.012);
}

TEST(TempoEstimator, RefusesWhatHasNoBeat) {
    for (Groove groove : {Groove::Silence, Groove::Noise, Groove::Tone}) {
        const TempoEstimate estimate = EstimateOf(RhythmGenerator(Recipe(0, groove)).Generate());
        EXPECT_FALSE(TempoEstimator::IsTrusted(estimate)) << static_cast<int>(groove);
        EXPECT_LT(estimate.confidence, TempoEstimator::kMinimumConfidence);
    }
    const TempoEstimate silence = EstimateOf(RhythmGenerator(Recipe(0, Groove::Silence)).Generate());
    EXPECT_EQ(silence.bpm, 0.0);
    EXPECT_EQ(silence.firstBeat, -1);

    // Too short to hold a few beats, and nothing at all.
    const TempoEstimate fragment = EstimateOf(RhythmGenerator(Recipe(128.0, Groove::FourOnTheFloor, 2.0)).Generate());
    EXPECT_FALSE(TempoEstimator::IsTrusted(fragment));
    const TempoEstimate nothing = TempoEstimator().Estimate(OnsetEnvelope::FromSamples(nullptr, 0, 44100.0, 2));
    EXPECT_EQ(nothing.bpm, 0.0);
}

TEST(TempoEstimator, FoldsByOctavesIntoTheRange) {
    const TempoEstimator standard;
    EXPECT_DOUBLE_EQ(standard.Fold(70.0), 140.0);
    EXPECT_DOUBLE_EQ(standard.Fold(180.0), 90.0);
    EXPECT_DOUBLE_EQ(standard.Fold(350.0), 175.0);
    EXPECT_DOUBLE_EQ(standard.Fold(88.0), 88.0);
    EXPECT_EQ(standard.Fold(0.0), 0.0);
    EXPECT_EQ(standard.Fold(-5.0), 0.0);
    EXPECT_EQ(standard.Fold(NAN), 0.0);

    // Narrower than an octave: the nearest octave.
    const TempoEstimator narrow(110.0, 150.0);
    EXPECT_DOUBLE_EQ(narrow.Fold(80.0), 160.0);  // 160 is 6.7 % above, 80 is 37.5 % below
    EXPECT_DOUBLE_EQ(narrow.Fold(102.0), 102.0);

    // Nonsense ranges fall back to the defaults.
    for (const TempoEstimator& odd : {TempoEstimator(0.0, 100.0), TempoEstimator(150.0, 100.0), TempoEstimator(NAN, 175.0)}) {
        EXPECT_EQ(odd.GetLowest(), TempoEstimator::kDefaultLowest);
        EXPECT_EQ(odd.GetHighest(), TempoEstimator::kDefaultHighest);
    }
}

TEST(TempoEstimator, HonoursTheConfiguredRange) {
    const test::GeneratedSong song = RhythmGenerator(Recipe(80.0, Groove::FourOnTheFloor)).Generate();
    EXPECT_NEAR(EstimateOf(song).bpm, 160.0, 1.6);
    EXPECT_NEAR(EstimateOf(song, TempoEstimator(60.0, 119.0)).bpm, 80.0, 0.8);
}

TEST(TempoEstimator, ReadsTheSameFromAWaveFileAsFromSamples) {
    test::TempDir dir;
    const test::GeneratedSong song = RhythmGenerator(Recipe(133.0, Groove::Broken)).Generate();
    const std::string path = dir / "song.wav";
    WaveWriter writer;
    ASSERT_TRUE(writer.Open(path, WaveFormat{}));
    ASSERT_TRUE(writer.Write(song.samples.data(), song.samples.size() * 2));
    ASSERT_TRUE(writer.Finish(song.Frames()));

    CWaveFile source(path, 100);
    source.Seek(song.Frames() / 2);  // wherever the reader stands, the whole song is read
    const TempoEstimate fromFile = TempoEstimator().Estimate(source);
    const TempoEstimate fromSamples = EstimateOf(song);
    EXPECT_EQ(fromFile.bpm, fromSamples.bpm);
    EXPECT_EQ(fromFile.firstBeat, fromSamples.firstBeat);

    CWaveFile missing(dir / "missing.wav", 100);
    EXPECT_FALSE(TempoEstimator::IsTrusted(TempoEstimator().Estimate(missing)));
}

// Several songs are analysed at once in the update pass.
TEST(TempoEstimatorThreaded, ConcurrentEstimatesMatchSerialOnes) {
    std::vector<test::GeneratedSong> songs;
    for (double bpm : {97.0, 122.0, 141.0, 166.0}) songs.push_back(RhythmGenerator(Recipe(bpm, Groove::FourOnTheFloor, 5.0)).Generate());
    std::vector<TempoEstimate> serial, parallel(songs.size());
    for (const auto& song : songs) serial.push_back(EstimateOf(song));
    std::vector<std::thread> threads;
    for (size_t i = 0; i < songs.size(); ++i) threads.emplace_back([&, i] { parallel[i] = EstimateOf(songs[i]); });
    for (auto& t : threads) t.join();
    for (size_t i = 0; i < songs.size(); ++i) {
        EXPECT_EQ(parallel[i].bpm, serial[i].bpm);
        EXPECT_EQ(parallel[i].firstBeat, serial[i].firstBeat);
    }
}

}  // namespace
}  // namespace vantor
