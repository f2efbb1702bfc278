#include "engine/track_pass_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace vantor {
namespace {

// Stream k delivers the 16-bit values k x 10000 + 0, 1, 2, ... (mod 10000),
// so a block shows which stream it came from and whether a value was lost,
// repeated or read by both threads.
class NumberedStream : public IDataStream {
public:
    explicit NumberedStream(int number) : IDataStream(20480, kChunkBytes), m_number(number) {}
    ~NumberedStream() override { Join(-1); }
    void SetPriority(int32_t) override {}
    bool IsSuspended() const override { return false; }

    // Threads other than the one given that rendered a block.
    bool ReadElsewhere() const { return m_readElsewhere; }

    // The caller's reads of the second track come late, after the caller has
    // claimed the track, and the helper takes the others meanwhile; ahead by
    // a pass, it must not read the track's next block before the caller's.
    uint32_t Read(void* buffer, uint32_t bytes) override {
        if (m_number == 1 && std::this_thread::get_id() == m_caller)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return IDataStream::Read(buffer, bytes);
    }

protected:
    uint32_t Generate(void* buffer, uint32_t bytes) override {
        if (std::this_thread::get_id() != m_caller) m_readElsewhere = true;
        auto* out = static_cast<int16_t*>(buffer);
        for (uint32_t i = 0; i < bytes / 2; ++i) out[i] = static_cast<int16_t>(m_number * 3000 + (m_next++ % 3000));
        return bytes & ~1u;
    }

private:
    int m_number;
    uint32_t m_next = 0;
    const std::thread::id m_caller = std::this_thread::get_id();
    std::atomic<bool> m_readElsewhere{false};
};

// Every track's blocks, pass after pass, hold its own values without a gap,
// whichever thread read them and however far the helper read ahead.
TEST(TrackPassReader, ThreadedPassesGiveEveryTrackItsOwnBytesInOrder) {
    for (size_t count : {1u, 2u, 7u}) {
        SCOPED_TRACE(count);
        std::vector<std::unique_ptr<NumberedStream>> streams;
        std::vector<IDataStream*> tracks;
        for (size_t k = 0; k < count; ++k) {
            streams.push_back(std::make_unique<NumberedStream>(static_cast<int>(k)));
            ASSERT_TRUE(streams.back()->StartPulled());
            tracks.push_back(streams.back().get());
        }
        const uint32_t passBytes = 4 * 2999;  // not a whole number of chunks
        CTrackPassReader reader(tracks, passBytes);
        reader.StartHelper();
        std::mt19937 random(static_cast<unsigned>(count));
        std::vector<uint32_t> next(count, 0);
        for (int pass = 0; pass < 150; ++pass) {
            EXPECT_EQ(reader.TakeTrack(count), nullptr);
            if (count > 1) {
                EXPECT_EQ(reader.TakeTrack(1), nullptr);  // out of order
            }
            for (size_t k = 0; k < count; ++k) {
                const int16_t* block = reader.TakeTrack(k);
                ASSERT_NE(block, nullptr);
                for (uint32_t i = 0; i < passBytes / 2; ++i, ++next[k])
                    ASSERT_EQ(block[i], static_cast<int16_t>(k * 3000 + next[k] % 3000))
                        << "track " << k << " pass " << pass << " sample " << i;
                // Now and then the caller is slow to mix, and the helper runs ahead.
                if (random() % 8 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
            reader.FinishPass();
        }
        // With two tracks or more the helper took its share.
        bool helped = false;
        for (auto& stream : streams) helped = helped || stream->ReadElsewhere();
        EXPECT_EQ(helped, count > 1 && std::thread::hardware_concurrency() > 1);
    }
}

}  // namespace
}  // namespace vantor
