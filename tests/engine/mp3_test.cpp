#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "engine/audio_fixtures.h"
#include "engine/mp3_conversion.h"
#include "engine/mp3_file.h"
#include "engine/wave_file.h"

namespace vantor {
namespace {

using test::TempDir;

// The PCM of a wave file written by the converter: everything after the
// 44-byte header plus the 12-byte `fact` chunk.
std::vector<uint8_t> WaveData(const std::string& path) {
    auto bytes = test::ReadBytes(path);
    return bytes.size() >= 56 ? std::vector<uint8_t>(bytes.begin() + 56, bytes.end()) : std::vector<uint8_t>{};
}

std::vector<uint8_t> ReadAll(CWaveFile& file) {
    std::vector<uint8_t> out(file.GetLength() * 4 + 4 * 4410);
    out.resize(file.ReadFrames(out.data(), static_cast<uint32_t>(out.size() / 4)) * 4);
    return out;
}

struct Encoded {
    const char* name;
    int kbps;
    int channels;
    bool tagged;
};

class Mp3Files : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        for (const auto& e : kFiles) {
            auto pcm = test::SineBurstPcm(3 * 44100, e.channels);
            std::string tag = e.tagged ? "--id3v1-only --tt 'Night Drive' --ta 'The Testers'" : "--id3v1-only";
            ASSERT_TRUE(test::EncodeMp3(*s_dir, pcm, *s_dir / e.name, e.kbps, e.channels, 44100, tag)) << e.name;
        }
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    static std::string Path(const char* name) { return *s_dir / name; }

    static constexpr Encoded kFiles[] = {
        {"stereo128tag.mp3", 128, 2, true},
        {"stereo320.mp3", 320, 2, false},
        {"mono128.mp3", 128, 1, false},
    };
    static TempDir* s_dir;
};
TempDir* Mp3Files::s_dir = nullptr;

TEST_F(Mp3Files, ConversionMatchesThePeerDecoderSampleForSample) {
    for (const auto& e : kFiles) {
        SCOPED_TRACE(e.name);
        std::string wave = *s_dir / (std::string(e.name) + ".wav");
        int lastPercent = -1;
        ASSERT_TRUE(ConvertMp3ToWave(Path(e.name), wave, [&](int p) { lastPercent = p; }));
        EXPECT_EQ(lastPercent, 100);
        auto peer = test::PeerDecode(*s_dir, Path(e.name));
        ASSERT_GT(peer.size(), 44100u * 4);
        auto ours = WaveData(wave);
        ASSERT_EQ(ours.size(), peer.size());
        EXPECT_TRUE(ours == peer);

        // The converted file reads back in the standard format with a `fact`
        // chunk giving its length.
        CWaveFile converted(wave, 100);
        ASSERT_NE(converted.GetFormat(), nullptr);
        EXPECT_TRUE(converted.GetFormat()->IsStandard());
        EXPECT_EQ(converted.GetLength(), peer.size() / 4);

        // Read directly, the MP3 gives the same samples, cut to the length its
        // duration rule allows.
        CWaveFile direct(Path(e.name), 100);
        ASSERT_NE(direct.GetFormat(), nullptr);
        EXPECT_EQ(direct.GetChannels(), 2);
        EXPECT_EQ(direct.GetBlockAlign(), 4);
        auto read = ReadAll(direct);
        size_t common = std::min(read.size(), peer.size());
        EXPECT_GT(common, 44100u * 4 * 2);
        EXPECT_TRUE(std::equal(read.begin(), read.begin() + common, peer.begin()));
    }
}

TEST_F(Mp3Files, DescriptionDurationAndTag) {
    for (const auto& e : kFiles) {
        SCOPED_TRACE(e.name);
        CMP3File mp3(Path(e.name));
        ASSERT_TRUE(mp3.IsValid());
        EXPECT_EQ(mp3.GetBytesPerSecond(), e.kbps * 1000u / 8);
        EXPECT_EQ(mp3.GetFormat().formatTag, 85);
        EXPECT_EQ(mp3.GetFormat().channels, e.channels);
        auto size = std::filesystem::file_size(Path(e.name));
        EXPECT_EQ(mp3.GetFileSize(), size);
        // 128 bytes come off whether or not the file ends in a tag.
        double expected = (static_cast<double>(size) - mp3.GetFirstFrameOffset() - 128) / mp3.GetBytesPerSecond();
        EXPECT_DOUBLE_EQ(mp3.GetDuration(), expected);
        EXPECT_EQ(mp3.HasTag(), e.tagged);
        EXPECT_EQ(mp3.GetTagTitle(), e.tagged ? "Night Drive" : "");
        EXPECT_EQ(mp3.GetTagArtist(), e.tagged ? "The Testers" : "");
        CWaveFile file(Path(e.name), 100);
        EXPECT_EQ(file.GetLength(), static_cast<uint32_t>(expected * 44100));
    }
}

TEST_F(Mp3Files, SeeksResynchroniseNearTheRequestedFrameOfAConstantBitRateFile) {
    // A rising sweep, so that every stretch of it is unlike every other.
    std::vector<uint8_t> sweep;
    for (uint32_t i = 0; i < 3 * 44100; ++i) {
        double t = i / 44100.0;
        auto v = static_cast<int16_t>(10000 * std::sin(2 * M_PI * (200 * t + 150 * t * t)));
        test::Put16(sweep, static_cast<uint16_t>(v));
        test::Put16(sweep, static_cast<uint16_t>(v));
    }
    ASSERT_TRUE(test::EncodeMp3(*s_dir, sweep, Path("sweep.mp3"), 128));
    auto peer = test::PeerDecode(*s_dir, Path("sweep.mp3"));
    CWaveFile file(Path("sweep.mp3"), 100);
    // Inside the read-ahead buffer the seek is exact.
    std::vector<uint8_t> window(2048 * 4);
    ASSERT_EQ(file.ReadFrames(window.data(), 100), 100u);
    ASSERT_TRUE(file.Seek(40));
    ASSERT_EQ(file.ReadFrames(window.data(), 10), 10u);
    EXPECT_TRUE(std::equal(window.begin(), window.begin() + 40, peer.begin() + 160));

    for (uint32_t frame : {30000u, 100000u, 5000u, 60000u}) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(file.Seek(frame));
        EXPECT_EQ(file.Tell(), frame);
        ASSERT_EQ(file.ReadFrames(window.data(), 2048), 2048u);
        // Find where in the straight decode this window lies.
        long best = -1;
        double bestError = 1e300;
        for (long at = std::max<long>(0, static_cast<long>(frame) - 6000); at + 2048 <= static_cast<long>(peer.size() / 4) &&
                                                        at <= static_cast<long>(frame) + 6000;
             ++at) {
            double error = 0;
            for (size_t i = 0; i < 2048 * 2; i += 7)
                error += std::abs(test::Sample(window, i) - test::Sample(peer, at * 2 + i));
            if (error < bestError) bestError = error, best = at;
        }
        // Away from the decoded buffer the position comes from the bit rate,
        // which knows nothing of the encoder's delay and the decoder's
        // reservoir: a few MP3 frames of slack.
        EXPECT_LE(std::abs(best - static_cast<long>(frame)), 4 * 1152);
    }
}

TEST(Mp3RefusalTest, FilesWithoutAValidFirstFrameAreRefused) {
    TempDir dir;
    auto pcm = test::SineBurstPcm(44100);
    ASSERT_TRUE(test::EncodeMp3(dir, pcm, dir / "48k.mp3", 128, 2, 48000));
    // Free format: a valid-looking header with bit-rate index 0, repeated.
    std::vector<uint8_t> free;
    for (int i = 0; i < 200; ++i) free.insert(free.end(), {0xFF, 0xFB, 0x00, 0x00, 1, 2, 3, 4});
    test::WriteBytes(dir / "free.mp3", free);
    test::WriteBytes(dir / "empty.mp3", {});
    test::WriteBytes(dir / "noise.mp3", test::StaircasePcm(20000));

    // A destination that exists already is left as it was.
    test::WriteBytes(dir / "keep.wav", {1, 2, 3});
    for (const char* name : {"48k.mp3", "free.mp3", "empty.mp3", "noise.mp3", "missing.mp3"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(CMP3File(dir / name).IsValid());
        CWaveFile file(dir / name, 100);
        EXPECT_EQ(file.GetFormat(), nullptr);
        EXPECT_EQ(file.GetLength(), 0u);
        EXPECT_FALSE(ConvertMp3ToWave(dir / name, dir / "out.wav"));
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
        EXPECT_FALSE(ConvertMp3ToWave(dir / name, dir / "keep.wav"));
        EXPECT_EQ(test::ReadBytes(dir / "keep.wav"), (std::vector<uint8_t>{1, 2, 3}));
    }
    // No temporary files are left behind: the inputs, the raw PCM and keep.wav.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 6);
    EXPECT_TRUE(RegisterSinkFilter());
}

}  // namespace
}  // namespace vantor
