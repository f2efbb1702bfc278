#include "analysis/onset_envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "support/rhythm_generator.h"

namespace vantor {
namespace {

// The sum of a band's onsets over the song.
double Total(const std::vector<float>& values) { return std::accumulate(values.begin(), values.end(), 0.0); }

TEST(OnsetEnvelope, KeepsEachBandsOnsetsAndTheChangesOfHarmony) {
    // Half-time drums over a pad whose chord changes every bar.
    test::RhythmRecipe recipe;
    recipe.bpm = 120.0;
    recipe.groove = test::Groove::HalfTime;
    recipe.seconds = 8.0;
    const test::GeneratedSong song = test::RhythmGenerator(recipe).Generate();
    const OnsetEnvelope envelope = OnsetEnvelope::FromSamples(song.samples.data(), song.Frames(), 44100.0, 2);
    const size_t count = envelope.Values().size();
    ASSERT_GT(count, 0u);
    for (size_t band = 0; band < OnsetEnvelope::kBands; ++band) EXPECT_EQ(envelope.BandValues(band).size(), count);
    EXPECT_EQ(envelope.HarmonicChanges().size(), count);
    // A band past the last reads as the last.
    EXPECT_EQ(&envelope.BandValues(OnsetEnvelope::kBands + 3), &envelope.BandValues(OnsetEnvelope::kBands - 1));

    // The kick, once a bar, stands in the low band at the bar's start, where
    // the hats' band has only its eighths.
    const std::vector<float>& low = envelope.BandValues(OnsetEnvelope::kLowBand);
    const double perBeat = envelope.Rate() * 0.5;
    auto peakNear = [&](const std::vector<float>& values, double at) {
        float peak = 0.0f;
        for (double t = at - 3; t <= at + 8; ++t)
            if (t >= 0 && t < static_cast<double>(values.size())) peak = std::max(peak, values[static_cast<size_t>(t)]);
        return peak;
    };
    const double bar = 2 * 4 * perBeat;  // the third bar's first beat
    EXPECT_GT(peakNear(low, bar), 4 * peakNear(low, bar + perBeat));
    EXPECT_GT(Total(envelope.BandValues(3)), 0.0);
    EXPECT_GT(peakNear(envelope.HarmonicChanges(), bar), 2 * peakNear(envelope.HarmonicChanges(), bar + 2 * perBeat));

    // Nothing at all: every series empty.
    const OnsetEnvelope none = OnsetEnvelope::FromSamples(nullptr, 0, 44100.0, 2);
    EXPECT_TRUE(none.BandValues(0).empty());
    EXPECT_TRUE(none.HarmonicChanges().empty());
}

}  // namespace
}  // namespace vantor
