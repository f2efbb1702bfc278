#include "engine/resampled_wave_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "database/song_profile.h"
#include "engine/audio_fixtures.h"
#include "engine/source_frame_stepper.h"
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

// Ratios just off 1, below and above it; ratios near 1 that walk in long
// runs of consecutive frames; ratios such as 1.1, 1.025 or 0.96 where the
// division rounds n / r up to a whole frame that the exact quotient misses
// (11 / 1.1 gives 10, not 9.999...), some at the end of every run; and ratios
// far from 1.
const double kEdgeRatios[] = {1.0 - 1.0 / (1u << 30), 1.0 + 1.0 / (1u << 30), 0.9999999, 1.0000001, 1.0 - 3e-6,
                              1.0 + 3e-6, 0.97, 1.013, 1.025, 0.96, 1.05, 1.1, 0.7, 0.3, 3.3, 1.0 / 3.0, 2.5};

TEST(SourceFrameStepper, GivesTheFramesOfTheDivision) {
    auto divided = [](uint32_t n, double r) {
        double frame = n / r;
        return frame >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(frame);
    };
    CSourceFrameStepper stepper;
    ASSERT_TRUE(stepper.SetRatio(1.1));
    stepper.Seek(11);
    EXPECT_EQ(stepper.Frame(), 10u);  // the division's rounding, not floor(9.999...)

    std::mt19937 random(5);
    for (double ratio : kEdgeRatios) {
        SCOPED_TRACE(ratio);
        ASSERT_TRUE(stepper.SetRatio(ratio));
        // From 0, from random points and from just below 2^32: walks of
        // random lengths, beyond the fixed-point span too, and single steps.
        for (uint32_t start : {0u, static_cast<uint32_t>(random() % 100000000u), static_cast<uint32_t>(random()),
                               UINT32_MAX - 3000}) {
            stepper.Seek(start);
            uint32_t n = start;
            while (n - start < 6000 && n < UINT32_MAX - 2600) {
                if (random() % 2) {
                    uint32_t count = 1 + random() % 2500;
                    std::vector<uint64_t> frames;
                    uint32_t walked = stepper.Walk(count, 0, UINT64_MAX, [&](uint32_t i, uint64_t frame, uint32_t n) {
                        EXPECT_EQ(i, frames.size());
                        EXPECT_GT(n, 0u);
                        for (uint32_t k = 0; k < n; ++k) frames.push_back(frame + k);
                    });
                    ASSERT_EQ(walked, frames.size());
                    for (uint32_t j = 0; j < walked; ++j) {
                        ASSERT_EQ(frames[j], divided(n + j, ratio)) << "output frame " << n + j;
                    }
                    n += walked;
                    if (walked < count) {
                        // Only the frames held at 2^32 - 1 are left to single steps.
                        ASSERT_EQ(divided(n, ratio), UINT32_MAX);
                        break;
                    }
                } else {
                    ASSERT_EQ(stepper.Frame(), divided(n, ratio)) << "output frame " << n;
                    stepper.Advance();
                    ++n;
                }
                ASSERT_EQ(stepper.OutputFrame(), n);
            }
        }
        // A walk stops before the first frame outside its range and stands there.
        stepper.Seek(1000);
        const uint64_t end = divided(1100, ratio) + 1;
        uint32_t walked = stepper.Walk(5000, divided(1000, ratio), end, [](uint32_t, uint64_t, uint32_t) {});
        EXPECT_GE(divided(1000 + walked, ratio), end);
        EXPECT_LT(divided(1000 + walked - 1, ratio), end);
        EXPECT_EQ(stepper.OutputFrame(), 1000 + walked);
        EXPECT_EQ(stepper.Walk(10, divided(stepper.OutputFrame(), ratio) + 1, UINT64_MAX,
                               [](uint32_t, uint64_t, uint32_t) {}),
                  0u);
    }
    // Ratios the integer walk cannot carry are left to the division.
    EXPECT_FALSE(stepper.SetRatio(std::ldexp(1.0, -21)));
    EXPECT_FALSE(stepper.SetRatio(std::nan("")));
    EXPECT_FALSE(stepper.SetRatio(std::ldexp(1.0, 21)));
}

// Read sizes around the copy groups and the read-ahead buffer (4410 frames),
// ratios near 1, below and above, starts anywhere up to past the end, and a
// plain byte read between frame reads that leaves the source off its frame.
TEST_F(ResampledWaveFileTest, BulkPathMatchesTheFrameByFramePathAtEdgeSizes) {
    const uint32_t sizes[] = {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 4409, 4410, 4411, 9000};
    std::mt19937 random(17);
    for (double ratio : kEdgeRatios) {
        SCOPED_TRACE(ratio);
        CResampledWaveFile fast(Song(), 100), plain(Song(), 100);
        fast.SetRatio(ratio);
        plain.SetRatio(ratio);
        const uint32_t length = fast.GetLength();
        for (uint32_t count : sizes) {
            for (uint32_t start : {0u, 4409u, static_cast<uint32_t>(random() % length), length - count / 2, length + 3}) {
                fast.Seek(start);
                plain.Seek(start);
                if (count % 3 == 0) {
                    uint8_t skip[2];
                    ASSERT_EQ(fast.ReadBytes(skip, 2), plain.ReadBytes(skip, 2));
                }
                std::vector<uint8_t> a(count * 4, 0xAA), b(count * 4, 0x55);
                // Two reads in a row: the second starts where the first left the source.
                for (int twice = 0; twice < 2; ++twice) {
                    ASSERT_EQ(fast.ReadFrames(a.data(), count), count);
                    ASSERT_EQ(plain.ReadFramesOneByOne(b.data(), count), count);
                    ASSERT_EQ(a, b) << "start " << start << " count " << count << " read " << twice;
                    ASSERT_EQ(fast.Tell(), plain.Tell());
                }
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
