#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "audio_fixtures.h"
#include "database/song_profile.h"
#include "database/song_summary.h"
#include "engine/resampled_wave_summary_file.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "model/value_io.h"
#include "platform/file_io.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

using test::ByteBuilder;
using test::TempDir;

// Rising and falling ramps: the extremes of a block are its first and last
// samples, so a record boundary one frame off changes the record.
int16_t Left(uint32_t i) { return static_cast<int16_t>(static_cast<int32_t>(i % 65536) - 32768); }
int16_t Right(uint32_t i) { return static_cast<int16_t>(32767 - static_cast<int32_t>(i % 65536)); }

std::vector<uint8_t> RampPcm(uint32_t frames) {
    std::vector<uint8_t> pcm;
    pcm.reserve(size_t{frames} * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        test::Put16(pcm, static_cast<uint16_t>(Left(i)));
        test::Put16(pcm, static_cast<uint16_t>(Right(i)));
    }
    return pcm;
}

std::string WriteWave(const TempDir& dir, const std::string& name, const std::vector<uint8_t>& pcm,
                      const test::FmtFields& fmt = {}) {
    std::string path = dir / name;
    test::WriteBytes(path, test::WaveBytes(pcm, fmt));
    return path;
}

bool Build(const std::string& wave, const std::string& summary, int32_t* finalPercent = nullptr) {
    CWaveFile source(wave, 100);
    std::atomic<int32_t> percent{-1};
    bool ok = BuildSummary(summary, source, percent);
    if (finalPercent) *finalPercent = percent.load();
    return ok;
}

// The extremes of the ramp over frames [first, first + count), from zero.
void ExpectedRecord(ByteBuilder& out, uint32_t first, uint32_t count) {
    int16_t min[2] = {0, 0}, max[2] = {0, 0};
    for (uint32_t i = first; i < first + count; ++i) {
        min[0] = std::min(min[0], Left(i));
        max[0] = std::max(max[0], Left(i));
        min[1] = std::min(min[1], Right(i));
        max[1] = std::max(max[1], Right(i));
    }
    for (int16_t v : {min[0], min[1], max[0], max[1]}) out.U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
}

TEST(WaveSummaryBuild, TenSecondSongHasTheFourLevelLayoutByteForByte) {
    TempDir dir;
    const uint32_t frames = 10 * 44100;
    std::string wave = WriteWave(dir, "song.wav", RampPcm(frames));
    int32_t percent = 0;
    ASSERT_TRUE(Build(wave, dir / "song.sm", &percent));
    EXPECT_EQ(percent, 100);

    // 3445 complete 128-frame blocks; the last, partial one is left out, and
    // so is the last incomplete group of every coarser level.
    const uint32_t counts[4] = {3445, 1722, 861, 430};
    ByteBuilder expected;
    expected.I32(-1).I32(3445).I32(128).I32(frames).I32(2).I32(32767).I32(16).I32(4).I32(44100).I32(32766).I32(2).I32(3);
    for (int i = 12; i < 44; ++i) expected.I32(0);
    for (uint32_t count : counts) expected.I32(count * 8);
    for (int k = 0; k < 4; ++k) {
        const uint32_t span = 128u << k;
        for (uint32_t m = 0; m < counts[k]; ++m) ExpectedRecord(expected, m * span, span);
    }
    EXPECT_TRUE(test::SameBytes(test::ReadBytes(dir / "song.sm"), expected.Bytes()));
}

TEST(WaveSummaryBuild, RefusesSourcesThatGetNoSummary) {
    TempDir dir;
    test::FmtFields mono;
    mono.channels = 1;
    mono.blockAlign = 2;
    test::FmtFields eightBit;
    eightBit.bits = 8;
    eightBit.blockAlign = 2;
    struct Case {
        const char* name;
        std::vector<uint8_t> pcm;
        test::FmtFields fmt;
    } cases[] = {
        {"short.wav", RampPcm(200000), {}},
        {"mono.wav", std::vector<uint8_t>(300000 * 2), mono},
        {"eight.wav", std::vector<uint8_t>(300000 * 2), eightBit},
    };
    for (const Case& c : cases) {
        std::string wave = WriteWave(dir, c.name, c.pcm, c.fmt);
        EXPECT_FALSE(Build(wave, dir / "out.sm")) << c.name;
        EXPECT_FALSE(FileExists(dir / "out.sm")) << c.name;
    }
    // One frame more than the limit is enough: three levels.
    ASSERT_TRUE(Build(WriteWave(dir, "long.wav", RampPcm(200001)), dir / "long.sm"));
    CWaveSummaryFile summary(dir / "long.sm", false);
    EXPECT_EQ(summary.GetLevelCount(), 2);
}

// A source that promises more frames than it delivers, as a damaged or
// badly measured file can.
class OverstatedSource : public CWaveFile {
public:
    using CWaveFile::CWaveFile;
    uint32_t GetLength() override { return 2 * CWaveFile::GetLength(); }
};

TEST(WaveSummaryBuild, SourceEndingBeforeItsLengthStillEndsTheBuild) {
    TempDir dir;
    std::string wave = WriteWave(dir, "cut.wav", RampPcm(300000));
    OverstatedSource source(wave, 100);
    std::atomic<int32_t> percent{0};
    ASSERT_TRUE(BuildSummary(dir / "cut.sm", source, percent));
    CWaveSummaryFile summary(dir / "cut.sm", false);
    EXPECT_EQ(summary.GetLength(), 600000);
    SummaryRecord record;
    // Records cover the audio delivered, on exact 128-frame boundaries.
    ASSERT_TRUE(summary.ReadRecord(299000, record));
    EXPECT_EQ(record.maxima[0], Left(299007));
    EXPECT_FALSE(summary.ReadRecord(300100, record));
}

// A summary laid out by hand: L = 2 over 4 + 2 + 1 records whose channel 1
// maximum is the level x 1000 + the record index.
std::vector<uint8_t> HandMadeSummary(int32_t marker = -1) {
    ByteBuilder b;
    b.I32(marker).I32(4).I32(128).I32(600).I32(2).I32(32767).I32(16).I32(4).I32(44100).I32(32766).I32(2).I32(2);
    for (int i = 12; i < 44; ++i) b.I32(0);
    const int counts[3] = {4, 2, 1};
    for (int count : counts) b.I32(count * 8);
    for (int k = 0; k < 3; ++k) {
        for (int r = 0; r < counts[k]; ++r) {
            const int16_t values[4] = {-1, -2, static_cast<int16_t>(k * 1000 + r), 7};
            for (int16_t v : values) b.U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
        }
    }
    return b.Bytes();
}

TEST(WaveSummaryFile, ReadsRecordsOfTheSelectedLevelInMinMaxOrder) {
    TempDir dir;
    test::WriteBytes(dir / "a.sm", HandMadeSummary());
    CWaveSummaryFile summary(dir / "a.sm", false);
    ASSERT_TRUE(summary.IsValid());
    EXPECT_EQ(summary.GetLength(), 600);
    EXPECT_EQ(summary.GetLevelCount(), 2);
    EXPECT_EQ(summary.GetBaseFramesPerRecord(), 128);

    SummaryRecord record;
    ASSERT_TRUE(summary.ReadRecord(3 * 128 + 5, record));
    ASSERT_EQ(record.count, 2);
    EXPECT_EQ(record.minima, (std::vector<int16_t>{-1, -2}));
    EXPECT_EQ(record.maxima, (std::vector<int16_t>{3, 7}));
    // Past the end of a level that is not the coarsest.
    EXPECT_FALSE(summary.ReadRecord(4 * 128, record));
    EXPECT_FALSE(summary.ReadRecord(-1, record));

    // SelectLevel(300): 256 <= 300 < 512 names level 1, one finer is used.
    summary.SelectLevel(300);
    EXPECT_EQ(summary.GetSelectedLevel(), 0);
    summary.SelectLevel(600);  // names level 2, uses 1
    EXPECT_EQ(summary.GetSelectedLevel(), 1);
    EXPECT_EQ(summary.GetFramesPerRecord(), 256);
    ASSERT_TRUE(summary.ReadRecord(300, record));
    EXPECT_EQ(record.maxima[0], 1001);
    summary.SelectLevel(100000);  // beyond every level: the coarsest, then one finer
    EXPECT_EQ(summary.GetSelectedLevel(), 1);
    summary.SelectLevel(128);
    EXPECT_EQ(summary.GetSelectedLevel(), 0);
}

TEST(WaveSummaryFile, HeaderWithoutTheMarkerIsNoSummary) {
    TempDir dir;
    test::WriteBytes(dir / "zero.sm", HandMadeSummary(0));
    CWaveSummaryFile summary(dir / "zero.sm", false);
    EXPECT_FALSE(summary.IsValid());
    EXPECT_EQ(summary.GetLength(), -1);
    EXPECT_EQ(summary.GetLevelCount(), -1);
    EXPECT_EQ(summary.GetBaseFramesPerRecord(), -1);
    SummaryRecord record;
    EXPECT_FALSE(summary.ReadRecord(0, record));
    EXPECT_FALSE(summary.SetReferenceLevel(100));
    // With the flag, the length is word 3 as read.
    CWaveSummaryFile flagged(dir / "zero.sm", true);
    EXPECT_EQ(flagged.GetLength(), 600);
    CWaveSummaryFile missing(dir / "missing.sm", false);
    EXPECT_EQ(missing.GetLength(), -1);
}

TEST(WaveSummaryFile, DamagedLayoutsAreNoSummary) {
    TempDir dir;
    auto withWord = [](int index, int32_t value) {
        std::vector<uint8_t> bytes = HandMadeSummary();
        StoreLE32(bytes.data() + 4 * index, static_cast<uint32_t>(value));
        return bytes;
    };
    std::vector<std::vector<uint8_t>> damaged = {
        withWord(CWaveSummaryFile::kWordTopLevel, -1),
        withWord(CWaveSummaryFile::kWordTopLevel, 1000000),
        withWord(CWaveSummaryFile::kWordChannels, 0),
        withWord(CWaveSummaryFile::kWordChannels, 1 << 30),
        HandMadeSummary(),
    };
    damaged.back().resize(100);  // cut inside the header
    for (size_t i = 0; i < damaged.size(); ++i) {
        test::WriteBytes(dir / "bad.sm", damaged[i]);
        CWaveSummaryFile summary(dir / "bad.sm", false);
        EXPECT_FALSE(summary.IsValid()) << i;
    }
    // A level size pointing past the file: records there are simply unreadable.
    std::vector<uint8_t> huge = HandMadeSummary();
    StoreLE32(huge.data() + CWaveSummaryFile::kHeaderBytes, 0xFFFFFFF0u);
    test::WriteBytes(dir / "huge.sm", huge);
    CWaveSummaryFile summary(dir / "huge.sm", false);
    summary.SelectLevel(600);
    SummaryRecord record;
    EXPECT_FALSE(summary.ReadRecord(0, record));
}

TEST(WaveSummaryFile, SetReferenceLevelRewritesOnlyWordNine) {
    TempDir dir;
    const std::vector<uint8_t> original = HandMadeSummary();
    test::WriteBytes(dir / "a.sm", original);
    {
        CWaveSummaryFile summary(dir / "a.sm", false);
        ASSERT_TRUE(summary.SetReferenceLevel(21582));
    }
    std::vector<uint8_t> expected = original;
    StoreLE32(expected.data() + 36, 21582);
    EXPECT_TRUE(test::SameBytes(test::ReadBytes(dir / "a.sm"), expected));
    CWaveSummaryFile reread(dir / "a.sm", false);
    EXPECT_EQ(reread.GetReferenceLevel(), 21582);
    // The summary is what segment normalization reads.
    EXPECT_NEAR(ComputeNormalization(reread, 0.66), 0.66 / (21582.0 / 32767.0), 1e-12);
    EXPECT_NEAR(ComputeNormalization(reread, 0.66), 1.00204, 1e-5);
}

TEST(WaveSummaryFile, UnmeasuredOrMissingSummaryGivesNoFiniteNormalization) {
    TempDir dir;
    test::WriteBytes(dir / "a.sm", HandMadeSummary());
    CWaveSummaryFile summary(dir / "a.sm", false);
    ASSERT_TRUE(summary.SetReferenceLevel(0));
    EXPECT_FALSE(std::isfinite(ComputeNormalization(summary, 0.66)));
    CWaveSummaryFile missing(dir / "none.sm", false);
    EXPECT_FALSE(std::isfinite(ComputeNormalization(missing, 0.66)));
}

TEST(ResampledWaveSummaryFile, ReadsAndMeasuresAtTheRatio) {
    TempDir dir;
    test::WriteBytes(dir / "a.sm", HandMadeSummary());
    CResampledWaveSummaryFile summary(dir / "a.sm", false);
    summary.SetRatio(2.0);
    EXPECT_EQ(summary.GetLength(), 1200);
    SummaryRecord record;
    // Frame 511 of the doubled song is frame 255 of the file: record 1.
    ASSERT_TRUE(summary.ReadRecord(511, record));
    EXPECT_EQ(record.maxima[0], 1);
    ASSERT_TRUE(summary.ReadRecord(512, record));
    EXPECT_EQ(record.maxima[0], 2);
    summary.SetRatio(0.0);  // ignored
    summary.SetRatio(std::nan(""));
    EXPECT_EQ(summary.GetRatio(), 2.0);
    summary.SetRatio(0.5);
    EXPECT_EQ(summary.GetLength(), 300);

    test::WriteBytes(dir / "b.sm", HandMadeSummary(0));
    CResampledWaveSummaryFile invalid(dir / "b.sm", false);
    invalid.SetRatio(2.0);
    EXPECT_EQ(invalid.GetLength(), -1);
}

TEST(OpenSongSummary, NullOnlyForLongSongsWithoutAValidSummary) {
    TempDir dir;
    CSongProfile song;
    song.SetLocalPath(WriteWave(dir, "long.wav", RampPcm(250000)));
    EXPECT_EQ(OpenSongSummary(song, false), nullptr);
    std::atomic<int32_t> percent{0};
    ASSERT_TRUE(BuildSongSummary(song, percent));
    EXPECT_TRUE(FileExists(dir / "long.sm"));
    auto summary = OpenSongSummary(song, false);
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->GetLength(), 250000);

    CSongProfile shortSong;
    shortSong.SetLocalPath(WriteWave(dir, "short.wav", RampPcm(1000)));
    EXPECT_FALSE(BuildSongSummary(shortSong, percent));
    EXPECT_FALSE(FileExists(dir / "short.sm"));
    auto none = OpenSongSummary(shortSong, false);
    ASSERT_NE(none, nullptr);
    EXPECT_FALSE(none->IsValid());
}

}  // namespace
}  // namespace vantor
