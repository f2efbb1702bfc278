#include "engine/wave_file.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/audio_fixtures.h"

namespace vantor {
namespace {

using test::StaircasePcm;
using test::TempDir;
using test::WaveBytes;
using test::WriteBytes;

constexpr uint32_t kFrames = 50000;  // several read-ahead buffers of 4410 frames

std::vector<uint8_t> Frames(const std::vector<uint8_t>& pcm, uint32_t first, uint32_t count) {
    return {pcm.begin() + first * 4, pcm.begin() + (first + count) * 4};
}

std::vector<uint8_t> Read(CWaveFile& file, uint32_t frames) {
    std::vector<uint8_t> out(frames * 4);
    out.resize(file.ReadFrames(out.data(), frames) * 4);
    return out;
}

TEST(WaveFileTest, ReadsWholeFileWithCaseInsensitiveExtension) {
    TempDir dir;
    auto pcm = StaircasePcm(kFrames);
    WriteBytes(dir / "song.WAV", WaveBytes(pcm));
    CWaveFile file(dir / "song.WAV", 100);
    ASSERT_NE(file.GetFormat(), nullptr);
    EXPECT_TRUE(file.GetFormat()->IsStandard());
    EXPECT_EQ(file.GetLength(), kFrames);
    EXPECT_EQ(Read(file, kFrames + 10), pcm);
    EXPECT_EQ(file.Tell(), kFrames);
    EXPECT_EQ(Read(file, 10).size(), 0u);  // past the end: short counts from then on
    EXPECT_TRUE(file.Seek(100));            // a successful seek makes data available again
    EXPECT_EQ(Read(file, 5), Frames(pcm, 100, 5));
}

TEST(WaveFileTest, FailedOpensReadAsSilenceInTheDefaultFormat) {
    TempDir dir;
    auto pcm = StaircasePcm(100);
    test::FmtFields shortFmt;
    shortFmt.fmtSize = 14;
    WriteBytes(dir / "short.wav", WaveBytes(pcm, shortFmt));
    test::FmtFields zeroAlign;
    zeroAlign.blockAlign = 0;
    WriteBytes(dir / "zero.wav", WaveBytes(pcm, zeroAlign));
    WriteBytes(dir / "song.ogg", WaveBytes(pcm));
    WriteBytes(dir / "noext", WaveBytes(pcm));
    auto notWave = WaveBytes(pcm);
    notWave[8] = 'X';
    WriteBytes(dir / "notwave.wav", notWave);

    const std::pair<std::string, int> cases[] = {
        {"short.wav", kRiffNotWave}, {"zero.wav", kRiffNotWave},     {"song.ogg", kRiffCannotOpen},
        {"noext", kRiffCannotOpen},  {"missing.wav", kRiffCannotOpen}, {"notwave.wav", kRiffNotWave},
    };
    for (const auto& [name, result] : cases) {
        SCOPED_TRACE(name);
        CWaveFile file(dir / name, 100);
        EXPECT_EQ(file.GetFormat(), nullptr);
        EXPECT_EQ(file.GetOpenResult(), result);
        EXPECT_EQ(file.GetLength(), 0u);
        EXPECT_EQ(file.GetSampleRate(), 44100u);
        EXPECT_EQ(file.GetChannels(), 2);
        EXPECT_EQ(file.GetBitsPerSample(), 16);
        EXPECT_EQ(file.GetBlockAlign(), 4);
        EXPECT_EQ(file.GetFormatTag(), 1);
        std::vector<uint8_t> buffer(48, 0xAA);
        EXPECT_EQ(file.ReadFrames(buffer.data(), 10), 10u);
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 40), std::vector<uint8_t>(40, 0));
        EXPECT_EQ(buffer[40], 0xAA);
        EXPECT_EQ(file.ReadBytes(buffer.data(), 6), 6u);
        EXPECT_FALSE(file.Seek(10));
    }
}

TEST(WaveFileTest, SeeksInsideAndOutsideTheReadAheadBuffer) {
    TempDir dir;
    auto pcm = StaircasePcm(kFrames);
    WriteBytes(dir / "s.wav", WaveBytes(pcm));
    CWaveFile file(dir / "s.wav", 100);  // 4410 frames of read-ahead
    EXPECT_EQ(Read(file, 10), Frames(pcm, 0, 10));
    EXPECT_EQ(file.Tell(), 10u);

    // Inside the buffer, backwards and forwards, up to the frame just past it.
    EXPECT_TRUE(file.Seek(3));
    EXPECT_EQ(Read(file, 2), Frames(pcm, 3, 2));
    EXPECT_TRUE(file.Seek(4410));
    EXPECT_EQ(file.Tell(), 4410u);
    EXPECT_EQ(Read(file, 3), Frames(pcm, 4410, 3));

    // Beyond the buffer the source moves; then back before the buffer start.
    EXPECT_TRUE(file.Seek(30000));
    EXPECT_EQ(Read(file, 4), Frames(pcm, 30000, 4));
    EXPECT_TRUE(file.Seek(7));
    EXPECT_EQ(file.Tell(), 7u);
    EXPECT_EQ(Read(file, 4), Frames(pcm, 7, 4));

    // The end of the data is a valid position; anything past it is not.
    EXPECT_TRUE(file.Seek(kFrames));
    EXPECT_EQ(Read(file, 1).size(), 0u);
    EXPECT_TRUE(file.Seek(kFrames - 1));
    EXPECT_EQ(Read(file, 3), Frames(pcm, kFrames - 1, 1));
}

TEST(WaveFileTest, RefusedSeekLeavesTheBufferUsedUpAndTheSourceWhereItStands) {
    TempDir dir;
    auto pcm = StaircasePcm(kFrames);
    WriteBytes(dir / "s.wav", WaveBytes(pcm));
    CWaveFile file(dir / "s.wav", 100);
    EXPECT_EQ(Read(file, 100), Frames(pcm, 0, 100));
    // A frame before the data start (a negative frame number) and one past the end.
    EXPECT_FALSE(file.Seek(static_cast<uint32_t>(-1)));
    EXPECT_EQ(Read(file, 2), Frames(pcm, 4410, 2));
    EXPECT_FALSE(file.Seek(kFrames + 1));
    EXPECT_EQ(Read(file, 2), Frames(pcm, 8820, 2));
}

TEST(WaveFileTest, RandomSeeksReadTheSameFramesAsAStraightRead) {
    TempDir dir;
    auto pcm = StaircasePcm(kFrames);
    WriteBytes(dir / "s.wav", WaveBytes(pcm));
    CWaveFile file(dir / "s.wav", 100);
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i) {
        uint32_t frame = random() % kFrames;
        // Half the seeks land near the current position, inside the buffer.
        if (i % 2) frame = std::min<uint32_t>(kFrames - 1, file.Tell() + random() % 6000);
        uint32_t count = 1 + random() % 5000;
        ASSERT_TRUE(file.Seek(frame));
        ASSERT_EQ(file.Tell(), frame);
        ASSERT_EQ(Read(file, count), Frames(pcm, frame, std::min(count, kFrames - frame))) << frame;
    }
}

TEST(WaveFileTest, ChunkLayoutsAndDamagedSizes) {
    TempDir dir;
    auto pcm = StaircasePcm(3000);
    // An odd-sized chunk (with its pad byte) before the data, and a non-PCM
    // format with extra bytes.
    std::vector<uint8_t> list;
    test::PutTag(list, "LIST");
    test::Put32(list, 5);
    list.insert(list.end(), {'I', 'N', 'F', 'O', 'x', 0});
    test::FmtFields extensible;
    extensible.tag = 0xFFFE;
    extensible.fmtSize = 40;
    auto bytes = WaveBytes(pcm, extensible, list);
    bytes[20 + 16] = 22;  // extra size 22 = 40 - 18
    WriteBytes(dir / "list.wav", bytes);
    CWaveFile withList(dir / "list.wav", 100);
    ASSERT_NE(withList.GetFormat(), nullptr);
    EXPECT_EQ(withList.GetFormatTag(), 0xFFFE);
    EXPECT_EQ(withList.GetFormat()->extra.size(), 22u);
    EXPECT_EQ(Read(withList, 3000), pcm);

    // Extra bytes claimed beyond the chunk.
    bytes[20 + 16] = 23;
    WriteBytes(dir / "extra.wav", bytes);
    EXPECT_EQ(CWaveFile(dir / "extra.wav", 100).GetOpenResult(), kRiffNotWave);

    // A data chunk that claims more than the file holds: the length is what
    // is there, and every byte that is there is delivered.
    auto cut = WaveBytes(pcm, {}, {}, 1000000);
    WriteBytes(dir / "cut.wav", cut);
    CWaveFile truncated(dir / "cut.wav", 100);
    EXPECT_EQ(truncated.GetLength(), 3000u);
    EXPECT_EQ(Read(truncated, 5000), pcm);

    // No data chunk at all.
    auto noData = WaveBytes({}, {});
    noData.resize(noData.size() - 8);
    WriteBytes(dir / "nodata.wav", noData);
    EXPECT_EQ(CWaveFile(dir / "nodata.wav", 100).GetFormat(), nullptr);
}

TEST(WaveFileTest, SeekSecondsAndBufferSizes) {
    TempDir dir;
    auto pcm = StaircasePcm(kFrames);
    WriteBytes(dir / "s.wav", WaveBytes(pcm));
    CWaveFile file(dir / "s.wav", 100);
    EXPECT_TRUE(file.SeekSeconds(0.5));
    EXPECT_EQ(file.Tell(), 22050u);
    EXPECT_FALSE(file.SeekSeconds(10.0));
    // A buffer smaller than a frame still reads frame by frame.
    CWaveFile tiny(dir / "s.wav", 0);
    EXPECT_EQ(Read(tiny, 1000), Frames(pcm, 0, 1000));
}

}  // namespace
}  // namespace vantor
