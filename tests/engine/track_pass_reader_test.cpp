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

protected:
    uint32_t Generate(void* buffer, uint32_t bytes) override {
        if (std::this_thread::get_id() != m_caller) m_readElsewhere = true;
        // The first track is slow, so that the helper takes the others.
        if (m_number == 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
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

TEST(TrackPassReader, ThreadedPassesGiveEveryTrackItsOwnBytesInOrder) {
    for (size_t count : {1u, 2u, 7u}) {
        std::vector<std::unique_ptr<NumberedStream>> streams;
        std::vector<IDataStream*> tracks;
        for (size_t k = 0; k < count; ++k) {
            streams.push_back(std::make_unique<NumberedStream>(static_cast<int>(k)));
            ASSERT_TRUE(streams.back()->StartPulled());
            tracks.push_back(streams.back().get());
        }
        CTrackPassReader reader(tracks, 40000);
        reader.StartHelper();
        std::mt19937 random(static_cast<unsigned>(count));
        std::vector<uint32_t> next(count, 0);
        for (int pass = 0; pass < 200; ++pass) {
            uint32_t bytes = 4 * (1 + random() % 10000);
            reader.BeginPass(bytes);
            for (size_t k = 0; k < count; ++k) {
                const int16_t* block = reader.TakeTrack(k);
                ASSERT_NE(block, nullptr);
                for (uint32_t i = 0; i < bytes / 2; ++i, ++next[k])
                    ASSERT_EQ(block[i], static_cast<int16_t>(k * 3000 + next[k] % 3000))
                        << "track " << k << " pass " << pass << " sample " << i;
            }
        }
        EXPECT_EQ(reader.TakeTrack(count), nullptr);
        // With two tracks or more the helper took its share.
        bool helped = false;
        for (auto& stream : streams) helped = helped || stream->ReadElsewhere();
        EXPECT_EQ(helped, count > 1 && std::thread::hardware_concurrency() > 1);
        // A pass larger than the blocks is cut to them.
        reader.BeginPass(100000);
        const int16_t* first = reader.TakeTrack(0);
        for (size_t k = 1; k < count; ++k) reader.TakeTrack(k);
        EXPECT_EQ(first[19999], static_cast<int16_t>((next[0] + 19999) % 3000));
        EXPECT_EQ(streams[0]->Read(nullptr, 0), 0u);
    }
}

}  // namespace
}  // namespace vantor
