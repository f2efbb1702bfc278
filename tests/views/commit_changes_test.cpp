#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "editing/editing_fixtures.h"
#include "engine/set_player.h"
#include "platform/null_audio_device.h"
#include "platform/scripted_user_interface.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

bool WaitUntil(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

int16_t Staircase(uint32_t frame) { return static_cast<int16_t>((frame + 1) & 0x7FFF); }

// A set editor whose set plays through a local player (on a copy, as the
// set player always plays) on a null device with a manual clock.
class CommitChangesTest : public ::testing::Test {
protected:
    static constexpr uint32_t kStep = 1280;

    void SetUp() override {
        key = library.AddSong("Song", 400000);
        test::AddSegment(*set, 1, 0, 0, 400000, 1.0, key);
        playing = RefPtr<CMusicSet>(set->Clone());
        ASSERT_TRUE(player.Open(nullptr, &library.Database(), playing.get(), nullptr, false, 2, 0x8000));
        buffer = clock->Buffers().back();
        buffer->RecordHeard(true);
        view.SetLocalPlayer(&player);
        geometry.rowHeights = {20, 20, 20};
    }
    void TearDown() override { player.Close(); }

    // One notification interval, served before the clock moves again.
    void Step(int count) {
        for (int i = 0; i < count; ++i) {
            uint64_t before = buffer->GetCursorReadCount();
            clock->Advance(kStep);
            ASSERT_TRUE(WaitUntil([&] { return buffer->GetCursorReadCount() > before; }));
            player.GetOutput()->GetPosition();
        }
    }
    std::vector<int16_t> HeardLeft() {
        std::vector<uint8_t> bytes = buffer->TakeHeard();
        std::vector<int16_t> left(bytes.size() / 4);
        for (size_t i = 0; i < left.size(); ++i) left[i] = static_cast<int16_t>(bytes[4 * i] | bytes[4 * i + 1] << 8);
        return left;
    }

    test::SongLibrary library;
    std::string key;
    CConfiguration config;
    ScriptedUserInterface ui;
    RefPtr<CMusicSet> set = test::NewSet(2);
    RefPtr<CMusicSet> playing;
    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    CSetPlayer player{[clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); }};
    NullAudioBuffer* buffer = nullptr;
    CMusicSetView view{ui, &library.Database(), set.get(), "", config};
    TimelineGeometry geometry;
};

TEST_F(CommitChangesTest, ThreadedThePlayerRendersTheCommittedEditFromItsPosition) {
    player.SetPosition(0);
    uint64_t before = buffer->GetCursorReadCount();
    ASSERT_TRUE(player.Play());
    // Served: the output read the cursors, then filled under the position
    // lock that GetPosition waits for.
    ASSERT_TRUE(WaitUntil([&] { return buffer->GetCursorReadCount() > before; }));
    player.GetOutput()->GetPosition();
    ASSERT_NO_FATAL_FAILURE(Step(20));
    const uint32_t committedAt = player.GetPlayPosition();

    // Two seconds ahead of the play position, well past everything already
    // rendered, the segment is split and its rest erased.
    const uint32_t cut = committedAt + 88200;
    view.MousePress(geometry.XAt(1.0), 30, geometry, false);
    view.MouseRelease(geometry.XAt(1.0), 30);
    view.GetState().SetLeftMarker(static_cast<double>(cut) / 44100);
    ASSERT_TRUE(view.SplitSegment());
    view.MousePress(geometry.XAt(static_cast<double>(cut + 1000) / 44100), 30, geometry, false);
    view.MouseRelease(geometry.XAt(static_cast<double>(cut + 1000) / 44100), 30);
    view.Erase();
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    EXPECT_EQ(playing->GetTrack(1)->GetEvents().GetCount(), 1);  // the copy plays on, unchanged
    ASSERT_LT(player.GetSetStream()->GetSetPosition(), cut);
    ASSERT_TRUE(view.CommitChanges());
    EXPECT_FALSE(view.CanUndo());
    EXPECT_EQ(test::Bytes(*playing), test::Bytes(*set));

    const int steps = static_cast<int>((cut + 20000 - 20 * kStep) / kStep) + 1;
    ASSERT_NO_FATAL_FAILURE(Step(steps));
    std::vector<int16_t> heard = HeardLeft();
    ASSERT_GE(heard.size(), cut + 20000u);
    // A track renders an event through its end frame: the first part sounds
    // up to the cut inclusive, then silence.
    for (uint32_t frame = 0; frame <= cut; ++frame) ASSERT_EQ(heard[frame], Staircase(frame)) << "frame " << frame;
    for (uint32_t frame = cut + 1; frame < cut + 20000; ++frame) ASSERT_EQ(heard[frame], 0) << "frame " << frame;
    player.Stop();
}

}  // namespace
}  // namespace vantor
