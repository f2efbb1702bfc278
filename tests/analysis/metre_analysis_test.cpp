#include "analysis/metre_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/onset_grid.h"

namespace vantor {
namespace {

// Onset envelopes built by hand at 100 values per second: a pulse of the
// given strength every period values, from origin.
constexpr double kRate = 100.0;
constexpr size_t kLength = 6000;  // a minute

void AddPulse(std::vector<float>& values, double origin, double period, float strength) {
    for (double t = origin; t < static_cast<double>(values.size()); t += period) values[static_cast<size_t>(std::lround(t)) % values.size()] += strength;
}

double Bpm(double period) { return 60.0 * kRate / period; }

TEST(OnsetGrid, ScoresTheMeanOnItsPointsAndFindsTheBestGrid) {
    std::vector<float> values(kLength, 0.0f);
    AddPulse(values, 13.0, 50.0, 1.0f);
    const OnsetGrid onsets(values);
    const double peak = onsets.Score({13.0, 50.0});
    EXPECT_GT(peak, 0.2);
    EXPECT_LT(onsets.Score({38.0, 50.0}), 0.01 * peak);  // half a period off
    EXPECT_NEAR(onsets.Score({13.0, 25.0}), peak / 2, 0.01);  // every other point empty

    const ScoredGrid best = onsets.Best(50.0 * 1.02, 0.03);
    EXPECT_NEAR(best.grid.period, 50.0, 0.1);
    EXPECT_NEAR(best.grid.FirstPoint(), 13.0, 1.5);
    const Grid refined = onsets.Refine(best);
    EXPECT_NEAR(refined.period, 50.0, 0.01);
    EXPECT_NEAR(std::remainder(refined.origin - 13.0, 50.0), 0.0, 0.3);

    // Nothing to score.
    EXPECT_EQ(onsets.Score({0.0, 0.0}), 0.0);
    EXPECT_EQ(onsets.Score({0.0, -5.0}), 0.0);
    EXPECT_EQ(onsets.At(-1.0), 0.0);
    EXPECT_EQ(onsets.At(1e9), 0.0);
    EXPECT_EQ(OnsetGrid({}).Score({0.0, 10.0}), 0.0);
    EXPECT_LE(OnsetGrid({}).Best(10.0, 0.01).score, 0.0);
    EXPECT_LT(onsets.Best(0.5, 0.01).score, 0.0);
    EXPECT_DOUBLE_EQ((Grid{130.0, 50.0}.FirstPoint()), 30.0);
    EXPECT_EQ(onsets.Refine({{3.0, 0.0}, 1.0}).period, 0.0);
}

TEST(MetreAnalysis, AFasterPulseThroughEveryThirdBeatIsNoLevel) {
    // 4/4 at 120 (a beat every 50 values), the first beat of each bar louder.
    std::vector<float> values(kLength, 0.0f), none(kLength, 0.0f);
    AddPulse(values, 0.0, 50.0, 1.0f);
    AddPulse(values, 0.0, 200.0, 0.5f);
    AddPulse(values, 25.0, 50.0, 0.3f);  // off-beat eighths
    const OnsetGrid onsets(values), low(none), harmony(none);
    const MetreAnalysis metre(onsets, low, harmony, kRate);
    const MetreAnalysis::Level beat = metre.Measure(120.0);
    // Every third beat (40 BPM) collects as much, but its finer grid, the
    // beat itself, collects as much again.
    const MetreAnalysis::Level third = metre.Measure(40.0);
    EXPECT_GT(third.grid.score, 0.9 * beat.grid.score);
    EXPECT_GT(beat.salience, 5 * third.salience);
    // So among the class of 120 and its rival a 4:3 away, 120 wins.
    EXPECT_NEAR(metre.ChooseBeat({80.0, 120.0}).bpm, 120.0, 2.0);
    EXPECT_NEAR(metre.ChooseBeat({160.0, 90.0, 120.0}).bpm, 120.0, 2.0);
}

TEST(MetreAnalysis, TellsAWaltzsBeatFromItsBarAndA12By8sBeatFromItsEighths) {
    std::vector<float> none(kLength, 0.0f);
    // A waltz at 150: beats 40 values apart, the bar's first beat stronger.
    std::vector<float> waltz(kLength, 0.0f);
    AddPulse(waltz, 0.0, 40.0, 1.0f);
    AddPulse(waltz, 0.0, 120.0, 0.8f);
    const OnsetGrid waltzOnsets(waltz), silent(none);
    const MetreAnalysis waltzMetre(waltzOnsets, silent, silent, kRate);
    EXPECT_NEAR(waltzMetre.ChooseBeat({150.0, 100.0}).bpm, 150.0, 3.0);

    // A 12/8 ballad at 66: dotted quarters 90.9 values apart, each of three
    // eighths, the dotted quarters carrying the drums.
    std::vector<float> ballad(kLength, 0.0f);
    AddPulse(ballad, 0.0, 600.0 / 19.8, 0.5f);
    AddPulse(ballad, 0.0, 600.0 / 6.6, 1.5f);
    const OnsetGrid balladOnsets(ballad);
    const MetreAnalysis balladMetre(balladOnsets, silent, silent, kRate);
    const MetreAnalysis::Level chosen = balladMetre.ChooseBeat({66.0, 99.0});
    EXPECT_NEAR(chosen.bpm, 66.0, 1.5);
    EXPECT_GT(chosen.weight, 0.0);

    // Nothing to choose from.
    EXPECT_EQ(balladMetre.ChooseBeat({}).bpm, 0.0);
    EXPECT_EQ(balladMetre.ChooseBeat({0.0, -3.0, NAN}).bpm, 0.0);
    EXPECT_EQ(balladMetre.Measure(0.0).weight, 0.0);
}

TEST(MetreAnalysis, GroupsBeatsByHarmonyAndLowOnsets) {
    std::vector<float> beats(kLength, 0.0f), low(kLength, 0.0f), harmony(kLength, 0.0f);
    AddPulse(beats, 10.0, 50.0, 1.0f);
    // Chords change and the kick plays on every fourth beat, from the third.
    AddPulse(harmony, 110.0, 200.0, 1.0f);
    AddPulse(low, 110.0, 200.0, 1.0f);
    const OnsetGrid onsets(beats), lows(low), changes(harmony);
    const MetreAnalysis metre(onsets, lows, changes, kRate);
    const MetreAnalysis::Bar four = metre.FindBar({10.0, 50.0});
    EXPECT_EQ(four.beatsPerBar, 4);
    EXPECT_NEAR(four.downbeat, 110.0, 1.0);

    // In threes.
    std::vector<float> low3(kLength, 0.0f), harmony3(kLength, 0.0f);
    AddPulse(low3, 60.0, 150.0, 1.0f);
    AddPulse(harmony3, 60.0, 150.0, 1.0f);
    const OnsetGrid lows3(low3), changes3(harmony3);
    const MetreAnalysis waltz(onsets, lows3, changes3, kRate);
    const MetreAnalysis::Bar three = waltz.FindBar({10.0, 50.0});
    EXPECT_EQ(three.beatsPerBar, 3);
    EXPECT_NEAR(three.downbeat, 60.0, 1.0);

    // Halves of a four alike: twos.
    std::vector<float> low2(kLength, 0.0f);
    AddPulse(low2, 10.0, 100.0, 1.0f);
    const OnsetGrid lows2(low2), flat(std::vector<float>(kLength, 0.0f));
    EXPECT_EQ(MetreAnalysis(onsets, lows2, lows2, kRate).FindBar({10.0, 50.0}).beatsPerBar, 2);

    // Even beats: no bars.
    const MetreAnalysis even(onsets, onsets, flat, kRate);
    EXPECT_EQ(even.FindBar({10.0, 50.0}).beatsPerBar, 0);
    EXPECT_EQ(even.FindBar({10.0, 0.0}).beatsPerBar, 0);
}

TEST(MetreAnalysis, BeatsThroughAFasterLevelSitOnItsStrongerPoints) {
    // Eighths 25 values apart; the kick and the chords on every other one,
    // from the second.
    std::vector<float> eighths(kLength, 0.0f), low(kLength, 0.0f), harmony(kLength, 0.0f);
    AddPulse(eighths, 5.0, 25.0, 1.0f);
    AddPulse(low, 30.0, 50.0, 1.0f);
    AddPulse(harmony, 30.0, 200.0, 1.0f);
    const OnsetGrid onsets(eighths), lows(low), changes(harmony);
    const MetreAnalysis metre(onsets, lows, changes, kRate);
    const Grid beats = metre.Beats({5.0, 25.0}, Bpm(50.0));
    EXPECT_NEAR(beats.period, 50.0, 1e-9);
    EXPECT_NEAR(std::remainder(beats.origin - 30.0, 50.0), 0.0, 1e-9);
    // A level no faster than the tempo is the beat itself.
    const Grid same = metre.Beats({5.0, 50.0}, Bpm(50.0));
    EXPECT_EQ(same.origin, 5.0);
    EXPECT_EQ(same.period, 50.0);
}

}  // namespace
}  // namespace vantor
