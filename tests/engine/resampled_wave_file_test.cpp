#include "engine/resampled_wave_file.h"

#include <gtest/gtest.h>

#include <random>

#include "database/song_profile.h"
#include "engine/audio_fixtures.h"
#include "model/ref_ptr.h"

namespace vantor {
namespace {

using test::StaircasePcm;
using test::TempDir;

// The source frame a staircase frame came from, or -1 for silence.
int FrameValue(const std::vector<uint8_t>& out, size_t frame) {
    int16_t left = test::Sample(out, frame * 2), right = test::Sample(out, frame * 2 + 1);
    EXPECT_EQ(left, -right);
    return left - 1;
}

class ResampledWaveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteBytes(m_dir / "s.wav", test::WaveBytes(StaircasePcm(kFrames)));
    }
    std::string Song() const { return m_dir / "s.wav"; }
    static constexpr uint32_t kFrames = 20000;
    TempDir m_dir;
};

TEST_F(ResampledWaveFileTest, FrameMappingAndLength) {
    CResampledWaveFile file(Song(), 100);
    std::vector<uint8_t> out(8 * 4);
    file.SetRatio(2.0);
    EXPECT_EQ(file.ReadFrames(out.data(), 4), 4u);
    EXPECT_EQ((std::vector<int>{FrameValue(out, 0), FrameValue(out, 1), FrameValue(out, 2), FrameValue(out, 3)}),
              (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(file.Tell(), 4u);
    EXPECT_EQ(file.GetLength(), 2 * kFrames);

    file.SetRatio(0.5);
    EXPECT_EQ(file.Tell(), 0u);
    EXPECT_EQ(file.ReadFrames(out.data(), 4), 4u);
    EXPECT_EQ((std::vector<int>{FrameValue(out, 0), FrameValue(out, 1), FrameValue(out, 2), FrameValue(out, 3)}),
              (std::vector<int>{0, 2, 4, 6}));
    EXPECT_EQ(file.GetLength(), kFrames / 2);

    test::WriteBytes(m_dir / "k.wav", test::WaveBytes(StaircasePcm(1000)));
    CResampledWaveFile thousand(m_dir / "k.wav", 100);
    thousand.SetRatio(1.5);
    EXPECT_EQ(thousand.GetLength(), 1500u);
    thousand.SetRatio(-1.0);  // ignored
    thousand.SetRatio(0.0);
    EXPECT_EQ(thousand.GetRatio(), 1.5);

    // Seeking sets the output position and puts the source at trunc(n / r).
    EXPECT_TRUE(thousand.Seek(300));
    EXPECT_EQ(thousand.Tell(), 300u);
    EXPECT_EQ(thousand.ReadFrames(out.data(), 2), 2u);
    EXPECT_EQ(FrameValue(out, 0), 200);
    EXPECT_EQ(FrameValue(out, 1), 200);
}

TEST_F(ResampledWaveFileTest, RatioOneReadsLikeThePlainReader) {
    CResampledWaveFile resampled(Song(), 100);
    CWaveFile plain(Song(), 100);
    std::vector<uint8_t> a(kFrames * 4 + 400), b(kFrames * 4 + 400);
    EXPECT_EQ(resampled.ReadFrames(a.data(), kFrames + 100), kFrames);
    EXPECT_EQ(plain.ReadFrames(b.data(), kFrames + 100), kFrames);
    EXPECT_EQ(a, b);
    EXPECT_EQ(resampled.Tell(), kFrames);
    // Past the end nothing comes, even after a refused seek.
    EXPECT_FALSE(resampled.Seek(kFrames + 5));
    EXPECT_EQ(resampled.ReadFrames(a.data(), 10), 0u);
}

// The bulk path against the plain one and against the mapping computed here,
// over many ratios, seek points and read sizes, up to and past the end.
TEST_F(ResampledWaveFileTest, BulkPathGivesTheBytesOfTheFrameByFramePath) {
    std::mt19937 random(11);
    const double ratios[] = {0.5, 0.75, 0.9, 0.98, 0.999, 1.0123, 1.05, 1.3333, 1.5, 2.0, 3.7};
    for (double ratio : ratios) {
        SCOPED_TRACE(ratio);
        CResampledWaveFile fast(Song(), 100), plain(Song(), 100);
        fast.SetRatio(ratio);
        plain.SetRatio(ratio);
        for (int round = 0; round < 12; ++round) {
            uint32_t length = fast.GetLength();
            uint32_t start = round == 0 ? 0 : random() % (length + 200);
            uint32_t count = 1 + random() % (round % 3 == 0 ? 9000 : 300);
            fast.Seek(start);
            plain.Seek(start);
            std::vector<uint8_t> a(count * 4), b(count * 4, 0x55);
            ASSERT_EQ(fast.ReadFrames(a.data(), count), count);
            ASSERT_EQ(plain.ReadFramesOneByOne(b.data(), count), count);
            ASSERT_EQ(a, b) << "start " << start << " count " << count;
            ASSERT_EQ(fast.Tell(), plain.Tell());
            for (uint32_t i = 0; i < count; i += 37) {
                auto source = static_cast<uint32_t>((start + i) / ratio);
                int expected = source < kFrames ? static_cast<int>(source & 0x7FFF) : -1;
                ASSERT_EQ(FrameValue(a, i), expected) << "output frame " << start + i;
            }
        }
    }
}

TEST_F(ResampledWaveFileTest, SongSourcesByExtension) {
    RefPtr<CSongProfile> song(new CSongProfile);
    song->SetLocalPath(Song());
    auto source = OpenSongSource(*song);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->GetLength(), kFrames);
    song->SetLocalPath(m_dir / "x.MP3");
    EXPECT_NE(OpenSongSource(*song), nullptr);  // opens as silence: the file is missing
    song->SetLocalPath(m_dir / "x.flac");
    EXPECT_EQ(OpenSongSource(*song), nullptr);
    song->SetLocalPath("noextension");
    EXPECT_EQ(OpenSongSource(*song), nullptr);
}

}  // namespace
}  // namespace vantor
