#include <gtest/gtest.h>

#include "analysis/reference_level.h"
#include "analysis/song_start.h"
#include "analysis_fixtures.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

using test::AnalyzedSong;
using test::Song;
using test::TempDir;

// A one-level summary whose records at frames 0, 40000, 80000, ... carry the
// given channel maxima (left, right); the records between are silent.
std::string SampledSummary(const TempDir& dir, const std::vector<std::pair<int16_t, int16_t>>& maxima,
                           int32_t maxAmplitude = 32767) {
    const size_t records = (maxima.size() - 1) * 40000 / 128 + 1;
    std::vector<std::array<int16_t, 4>> level(records, {0, 0, 0, 0});
    for (size_t k = 0; k < maxima.size(); ++k) level[k * 40000 / 128] = {-5, -5, maxima[k].first, maxima[k].second};
    test::ByteBuilder b;
    b.I32(-1).I32(static_cast<int64_t>(records)).I32(128).I32(static_cast<int64_t>(records) * 128).I32(2);
    b.I32(maxAmplitude).I32(16).I32(4).I32(44100).I32(32766).I32(2).I32(0);
    for (int i = 12; i < 44; ++i) b.I32(0);
    b.I32(static_cast<int64_t>(records) * 8);
    for (const auto& r : level)
        for (int16_t v : r) b.U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    const std::string path = dir / "sampled.sm";
    test::WriteBytes(path, b.Bytes());
    return path;
}

TEST(MeasureReferenceLevel, TakesTheBucketThatTheLoudestTenthReaches) {
    TempDir dir;
    // 100 sampled records, 200 maxima: the loudest 20 lie in bucket 66
    // (21582 ... 21908), the rest far below.
    std::vector<std::pair<int16_t, int16_t>> maxima(100, {3000, -3300});
    for (int k = 0; k < 10; ++k) maxima[static_cast<size_t>(k) * 7] = {21600, -21900};
    CWaveSummaryFile summary(SampledSummary(dir, maxima), false);
    EXPECT_EQ(MeasureReferenceLevel(summary), 327 * 66);

    // One maximum fewer up there: the tenth is only reached down in bucket 10.
    maxima[0] = {21600, 0};
    CWaveSummaryFile fewer(SampledSummary(dir, maxima), false);
    EXPECT_EQ(MeasureReferenceLevel(fewer), 327 * 10);
}

TEST(MeasureReferenceLevel, FullScaleCountsAsBucketNinetyNine) {
    TempDir dir;
    std::vector<std::pair<int16_t, int16_t>> maxima(20, {32767, -32768});
    CWaveSummaryFile summary(SampledSummary(dir, maxima), false);
    EXPECT_EQ(MeasureReferenceLevel(summary), 327 * 99);
}

TEST(MeasureReferenceLevel, DamagedOrMissingSummariesGiveBoundedLevels) {
    TempDir dir;
    // A maximum amplitude of 200 makes buckets of 2: full-scale samples would
    // index far past the histogram.
    std::vector<std::pair<int16_t, int16_t>> maxima(20, {30000, 30000});
    CWaveSummaryFile small(SampledSummary(dir, maxima, 200), false);
    EXPECT_EQ(MeasureReferenceLevel(small), 2 * 99);
    CWaveSummaryFile zero(SampledSummary(dir, maxima, 0), false);
    EXPECT_EQ(MeasureReferenceLevel(zero), 0);
    CWaveSummaryFile missing(dir / "none.sm", false);
    EXPECT_EQ(MeasureReferenceLevel(missing), 0);
}

TEST(MeasureReferenceLevel, BuiltSummaryOfASteadyToneMeasuresItsPeak) {
    TempDir dir;
    Song song(20 * 44100);
    song.Mix(0, song.Frames(), [](double t) { return 16000 * std::sin(2 * M_PI * 441 * t); });
    AnalyzedSong analyzed(dir, "tone", song);
    // 16000 / 327 = 48.9: bucket 48.
    EXPECT_EQ(MeasureReferenceLevel(*analyzed.summary), 327 * 48);
}

TEST(FindSongStart, FirstSampleBeyondTheThreshold) {
    TempDir dir;
    Song song(10 * 44100);
    // Quiet ticks below the threshold first; 6553 itself does not count.
    song.Mix(1000, 10, [](double) { return 6553; });
    song.Mix(50000, 1, [](double) { return -6554; });
    AnalyzedSong analyzed(dir, "song", song);
    EXPECT_EQ(FindSongStart(*analyzed.source, *analyzed.summary, 0.2, 0), std::optional<uint32_t>(50000));
    // From an origin past it: nothing more within the song.
    EXPECT_EQ(FindSongStart(*analyzed.source, *analyzed.summary, 0.2, 60000), std::nullopt);
    // A lower threshold finds the ticks.
    EXPECT_EQ(FindSongStart(*analyzed.source, *analyzed.summary, 0.1, 0), std::optional<uint32_t>(1000));
}

TEST(FindSongStart, HitWithinTheFirstWindowFramesScansFromFrameZero) {
    TempDir dir;
    Song song(6 * 44100);
    song.Mix(10, 5000, [](double) { return 20000; });
    AnalyzedSong analyzed(dir, "song", song);
    EXPECT_EQ(FindSongStart(*analyzed.source, *analyzed.summary, 0.2, 0), std::optional<uint32_t>(10));
    EXPECT_EQ(FindSongStart(*analyzed.source, *analyzed.summary, 0.2, 30), std::optional<uint32_t>(10));
}

TEST(FindSongStart, TwentySecondsOfSilenceAfterTheOriginIsNoStart) {
    TempDir dir;
    Song song(30 * 44100);
    const uint32_t late = 882000 + 44100;  // 21 s
    song.Mix(late, 4410, [](double) { return 20000; });
    AnalyzedSong analyzed(dir, "song", song);
    EXPECT_EQ(FindSongStart(*analyzed.source, *analyzed.summary, 0.2, 0), std::nullopt);
    // From 5 s on, the sound lies within the span.
    EXPECT_EQ(FindSongStart(*analyzed.source, *analyzed.summary, 0.2, 5 * 44100), std::optional<uint32_t>(late));
    // A summary that is not one finds nothing.
    CWaveSummaryFile missing(dir / "none.sm", false);
    EXPECT_EQ(FindSongStart(*analyzed.source, missing, 0.2, 0), std::nullopt);
}

}  // namespace
}  // namespace vantor
