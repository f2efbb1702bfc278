#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>

#include "engine/stream_disk_writer.h"
#include "model/value_io.h"
#include "platform/file_io.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

// A set stand-in whose frame n holds the 32-bit value n (a staircase), so the
// file shows exactly which frames were written.
class StaircaseStream : public IDataStream {
public:
    StaircaseStream() : IDataStream(20480, kChunkBytes) {}
    ~StaircaseStream() override { Join(-1); }
    void SetPosition(uint32_t frame, bool flush) override {
        std::lock_guard lock(IndexLock());
        if (flush) FlushRing();
        m_frame = frame;
    }
    void SetPriority(int32_t) override {}
    bool IsSuspended() const override { return false; }

protected:
    uint32_t Generate(void* buffer, uint32_t bytes) override {
        auto* out = static_cast<uint32_t*>(buffer);
        uint32_t frames = bytes / 4;
        for (uint32_t i = 0; i < frames; ++i) out[i] = m_frame + i;
        m_frame += frames;
        return frames * 4;
    }

private:
    uint32_t m_frame = 0;
};

class StreamDiskWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::path(::testing::TempDir()) / ("mixdown_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // The header the writer must produce, from the RIFF layout.
    static std::vector<uint8_t> Header(uint32_t dataBytes, uint32_t factFrames) {
        test::ByteBuilder b;
        b.Raw("RIFF", 4).I32(4 + 24 + 12 + 8 + dataBytes).Raw("WAVE", 4);
        b.Raw("fmt ", 4).I32(16).U8(1).U8(0).U8(2).U8(0).I32(44100).I32(176400).U8(4).U8(0).U8(16).U8(0);
        b.Raw("fact", 4).I32(4).I32(factFrames);
        b.Raw("data", 4).I32(dataBytes);
        return b.Bytes();
    }

    std::filesystem::path dir;
};

TEST_F(StreamDiskWriterTest, ThreadedRangeIsWrittenFrameExactWithItsFactChunk) {
    StaircaseStream stream;
    std::string path = (dir / "range.wav").string();
    {
        CStreamDiskWriter writer(&stream);
        ASSERT_TRUE(writer.Open(path, WaveFormat{}));
        ASSERT_TRUE(writer.Start(1000, 1000 + 10 * 44100, nullptr));
        EXPECT_EQ(writer.GetCurrentFrame(), 1000u + 10 * 44100);
        EXPECT_FALSE(stream.IsRunning());  // the writer stops the stream
    }
    auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    const uint32_t dataBytes = 10 * 176400;
    std::vector<uint8_t> head(bytes->begin(), bytes->begin() + 56);
    EXPECT_TRUE(test::SameBytes(head, Header(dataBytes, 10 * 44100)));
    ASSERT_EQ(bytes->size(), 56u + dataBytes);
    for (uint32_t frame = 0; frame < 10 * 44100; ++frame)
        ASSERT_EQ(LoadLE32(bytes->data() + 56 + 4 * frame), 1000 + frame) << "frame " << frame;
}

TEST_F(StreamDiskWriterTest, ThreadedCancelLeavesAValidFileWhoseFactStatesTheFramesWritten) {
    StaircaseStream stream;
    std::string path = (dir / "cancelled.wav").string();
    MessageQueue window;
    const uint32_t hour = 3600 * 44100;
    {
        CStreamDiskWriter writer(&stream);
        ASSERT_TRUE(writer.Open(path, WaveFormat{}));
        ASSERT_TRUE(writer.Start(0, hour, &window));
        while (writer.GetCurrentFrame() < 44100) std::this_thread::sleep_for(std::chrono::microseconds(200));
        writer.RequestStop();  // the cancel button
        ASSERT_TRUE(writer.Join(-1));
        auto message = window.WaitFor(std::chrono::seconds(10));
        ASSERT_TRUE(message);
        EXPECT_EQ(message->message, 1028u);
        EXPECT_FALSE(stream.IsRunning());
    }
    auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    // Whole passes only, the pass under way when the cancel came included.
    const uint32_t dataBytes = static_cast<uint32_t>(bytes->size() - 56);
    EXPECT_EQ(dataBytes % 176400, 0u);
    EXPECT_GE(dataBytes, 176400u);
    EXPECT_LT(dataBytes, hour * 4u);
    std::vector<uint8_t> head(bytes->begin(), bytes->begin() + 56);
    // Players and tools agree on the length: `fact` counts what `data` holds.
    EXPECT_TRUE(test::SameBytes(head, Header(dataBytes, dataBytes / 4)));
    for (uint32_t frame = 0; frame < dataBytes / 4; frame += 997)
        ASSERT_EQ(LoadLE32(bytes->data() + 56 + 4 * frame), frame);
}

TEST_F(StreamDiskWriterTest, ThreadedEmptyRangeGivesAnEmptyDataChunk) {
    StaircaseStream stream;
    std::string path = (dir / "empty.wav").string();
    {
        CStreamDiskWriter writer(&stream);
        ASSERT_TRUE(writer.Open(path, WaveFormat{}));
        ASSERT_TRUE(writer.Start(500, 500, nullptr));
    }
    auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(test::SameBytes(*bytes, Header(0, 0)));
}

TEST_F(StreamDiskWriterTest, OpenFailsForAnUnwritablePath) {
    StaircaseStream stream;
    CStreamDiskWriter writer(&stream);
    EXPECT_FALSE(writer.Open((dir / "no/such/dir/x.wav").string(), WaveFormat{}));
    EXPECT_FALSE(writer.Start(0, 10, nullptr));
}

TEST(MixdownFiles, BatchNamesAndDiskSpace) {
    EXPECT_EQ(BatchFileName("mix.wav", 2), "mix2.wav");
    EXPECT_EQ(BatchFileName("/out/sets.v2/mix.wav", 11), "/out/sets.v2/mix11.wav");
    EXPECT_EQ(BatchFileName("/out/sets.v2/mix", 3), "/out/sets.v2/mix3");

    std::string path = ::testing::TempDir() + "x.wav";
    EXPECT_TRUE(CheckDiskSpace(path, 1000, "Mixdown").Ok());
    Status full = CheckDiskSpace(path, UINT64_MAX / 2, "Mixdown");
    ASSERT_FALSE(full.Ok());
    EXPECT_EQ(full.Error().text, "Insufficient disk space. At least 9223372036854775807 bytes need to be free.");
    EXPECT_EQ(full.Error().caption, "Mixdown");
    EXPECT_EQ(full.Error().icon, MessageIcon::Error);

    // A failed query fails silently: a refusal with nothing to show.
    Status unknown = CheckDiskSpace("/no/such/volume/x.wav", 10, "Mixdown");
    ASSERT_FALSE(unknown.Ok());
    EXPECT_EQ(unknown.Error().text, "");
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// A full disk: the write fails, the writer stops, and no file with wrong
// sizes is left behind. The file size limit stands for the full disk; its
// signal is ignored so that the write fails instead.
TEST_F(StreamDiskWriterTest, AFailedWriteStopsTheWriterAndRemovesTheFile) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 300000;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        StaircaseStream stream;
        const std::string path = (dir / "full.wav").string();
        CStreamDiskWriter writer(&stream);
        if (!writer.Open(path, WaveFormat{}) || !writer.Start(0, 44100 * 10, nullptr)) ::_exit(2);
        const bool failed = writer.HasWriteFailed();
        const bool finished = writer.Finish();
        const bool gone = !FileExists(path);
        ::_exit(failed && !finished && gone && !writer.GetWriteError().empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace vantor
