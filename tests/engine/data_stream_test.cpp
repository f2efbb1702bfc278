#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <thread>

#include "engine/data_stream.h"
#include "engine/wave_file_stream.h"
#include "engine/wave_writer.h"

namespace vantor {
namespace {

// Produces the byte sequence 0, 1, 2, ... (mod 251) up to a limit, in
// chunks of varying size, so that any lost, repeated or reordered byte shows.
class CountingStream : public IDataStream {
public:
    CountingStream(uint32_t capacity, uint64_t limit) : IDataStream(capacity, kChunkBytes), m_limit(limit) {}
    ~CountingStream() override { Join(-1); }
    void SetPriority(int32_t priority) override { SetThreadPriority(priority); }
    bool IsSuspended() const override { return false; }

protected:
    uint32_t Generate(void* buffer, uint32_t bytes) override {
        uint64_t left = m_limit - m_next;
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(left, bytes));
        n = std::min<uint32_t>(n, 4 + static_cast<uint32_t>(m_random() % 4096)) & ~3u;
        if (n == 0 && left > 0) n = static_cast<uint32_t>(std::min<uint64_t>(left, 4));
        auto* out = static_cast<uint8_t*>(buffer);
        for (uint32_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>((m_next + i) % 251);
        m_next += n;
        return n;
    }

private:
    uint64_t m_limit;
    uint64_t m_next = 0;
    std::mt19937 m_random{7};
};

TEST(DataStream, ThreadedReadsDeliverEveryByteInOrderWhateverTheirSizes) {
    const uint64_t total = 2'000'000;
    CountingStream stream(20480, total);
    ASSERT_TRUE(stream.StartStream());
    EXPECT_FALSE(stream.StartStream());
    std::mt19937 random(3);
    std::vector<uint8_t> buffer(30000);
    uint64_t seen = 0;
    for (;;) {
        uint32_t want = 1 + random() % 30000;
        uint32_t got = stream.Read(buffer.data(), want);
        for (uint32_t i = 0; i < got; ++i) ASSERT_EQ(buffer[i], (seen + i) % 251) << "at byte " << seen + i;
        seen += got;
        if (got < want) break;
        if (random() % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(seen, total);
    EXPECT_EQ(stream.Read(buffer.data(), 100), 0u);  // the producer has ended
}

TEST(DataStream, ThreadedLockFreezesProducerAndReader) {
    CountingStream stream(20480, 1'000'000);
    ASSERT_TRUE(stream.StartStream());
    std::vector<uint8_t> buffer(4096);
    ASSERT_EQ(stream.Read(buffer.data(), 4096), 4096u);
    stream.Lock(true);
    EXPECT_TRUE(stream.IsLocked());
    std::atomic<bool> readDone{false};
    std::thread reader([&] {
        std::vector<uint8_t> b(100);
        stream.Read(b.data(), 100);
        readDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(readDone.load());
    stream.Lock(false);
    reader.join();
    EXPECT_TRUE(readDone.load());
    stream.StopStream();
    EXPECT_EQ(stream.GetBuffered(), 0u);
}

// Pulled, the reader renders: the same bytes in the same order, including
// requests of a part frame, with no producer thread, and the end of the
// source ends the stream as it ends the producer.
TEST(DataStream, PulledReadsDeliverTheSameBytesOnTheReadersThread) {
    const uint64_t total = 1'000'003;  // ends in a part frame
    CountingStream stream(20480, total);
    ASSERT_TRUE(stream.StartPulled());
    EXPECT_FALSE(stream.StartPulled());
    EXPECT_FALSE(stream.StartStream());
    EXPECT_TRUE(stream.IsPulled());
    std::mt19937 random(5);
    std::vector<uint8_t> buffer(30000);
    uint64_t seen = 0;
    for (;;) {
        uint32_t want = random() % 4 == 0 ? 1 + random() % 7 : 1 + random() % 30000;
        uint32_t got = stream.Read(buffer.data(), want);
        for (uint32_t i = 0; i < got; ++i) ASSERT_EQ(buffer[i], (seen + i) % 251) << "at byte " << seen + i;
        seen += got;
        EXPECT_FALSE(stream.IsRunning());
        if (got < want) break;
    }
    EXPECT_EQ(seen, total);
    EXPECT_EQ(stream.Read(buffer.data(), 100), 0u);

    // Stopped, it is no longer pulled and can run threaded.
    stream.StopStream();
    EXPECT_FALSE(stream.IsPulled());
    EXPECT_EQ(stream.GetBuffered(), 0u);
    EXPECT_TRUE(stream.StartStream());
    stream.StopStream();
}

TEST(DataStream, ReadOfAStreamThatNeverStartedReturnsAtOnce) {
    CountingStream stream(20480, 100);
    uint8_t buffer[16];
    EXPECT_EQ(stream.Read(buffer, 16), 0u);
}

class WaveFileStreamTest : public ::testing::Test {
protected:
    std::string WriteWave(const std::vector<int16_t>& samples) {
        std::string path = ::testing::TempDir() + "wfs_" + std::to_string(::getpid()) + "_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
        WaveWriter writer;
        EXPECT_TRUE(writer.Open(path, WaveFormat{}));
        EXPECT_TRUE(writer.Write(samples.data(), samples.size() * 2));
        EXPECT_TRUE(writer.Finish(static_cast<uint32_t>(samples.size() / 2)));
        paths.push_back(path);
        return path;
    }
    void TearDown() override {
        for (const auto& p : paths) std::filesystem::remove(p);
    }
    std::vector<std::string> paths;
};

TEST_F(WaveFileStreamTest, ThreadedShortFileReadsWhatItHoldsThenNothing) {
    std::vector<int16_t> samples(20);  // 40 bytes
    for (int i = 0; i < 20; ++i) samples[i] = static_cast<int16_t>(i * 100);
    CWaveFile file(WriteWave(samples), 100);
    CWaveFileStream stream(&file, 20480);
    stream.SetPosition(0, true);
    ASSERT_TRUE(stream.StartStream());
    std::vector<int16_t> out(50);
    EXPECT_EQ(stream.Read(out.data(), 100), 40u);
    EXPECT_EQ(out[19], 1900);
    EXPECT_EQ(stream.Read(out.data(), 100), 0u);
}

TEST_F(WaveFileStreamTest, ThreadedGainSaturatesForAnyFiniteGain) {
    std::vector<int16_t> samples = {20000, -20000, 16383, -16384, 100, 0, 32767, -32768};
    CWaveFile file(WriteWave(samples), 100);
    CWaveFileStream stream(&file, 20480);
    stream.SetGain(2.0);
    stream.SetGain(std::nan(""));  // ignored
    EXPECT_EQ(stream.GetGain(), 2.0);
    stream.SetPosition(0, true);
    ASSERT_TRUE(stream.StartStream());
    std::vector<int16_t> out(8);
    ASSERT_EQ(stream.Read(out.data(), 16), 16u);
    EXPECT_EQ(out, (std::vector<int16_t>{32766, -32766, 32766, -32768, 200, 0, 32766, -32766}));

    // A gain of 4 wraps a product of 80000 twice in 16 bits; it must still
    // saturate rather than come out as a wrong positive or negative value.
    std::vector<int16_t> loud = {20000, -20000, 8191, -8192, 5000, -5000};
    ApplyGainSaturating(loud.data(), loud.size(), 4.0);
    EXPECT_EQ(loud, (std::vector<int16_t>{32766, -32766, 32764, -32768, 20000, -20000}));
    std::vector<int16_t> half = {3, -3, 32767};
    ApplyGainSaturating(half.data(), half.size(), 0.5);
    EXPECT_EQ(half, (std::vector<int16_t>{1, -1, 16383}));  // truncated toward zero
}

}  // namespace
}  // namespace vantor
