#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "database/music_database.h"
#include "engine/set_player.h"
#include "engine/wave_writer.h"
#include "platform/null_audio_device.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

int16_t Sample(uint32_t frame) { return static_cast<int16_t>(1 + frame % 30000); }

using test::WaitUntil;

// A set of one song played through the player onto a null device whose clock
// the test moves, one notification interval at a time.
class SetPlayerTest : public ::testing::Test {
protected:
    static constexpr uint32_t kStep = 1280;

    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("player_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_TRUE(database.Open(dir.string()));
        const uint32_t frames = 100000;
        std::vector<int16_t> pcm(frames * 2);
        for (uint32_t n = 0; n < frames; ++n) pcm[2 * n] = pcm[2 * n + 1] = Sample(n);
        std::string path = (dir / "song.wav").string();
        WaveWriter writer;
        ASSERT_TRUE(writer.Open(path, WaveFormat{}));
        ASSERT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
        ASSERT_TRUE(writer.Finish(frames));
        CSongProfile profile;
        profile.SetLocalPath(path);
        ASSERT_TRUE(database.PutSong(profile));

        NewSetOptions options;
        options.audioTracks = 2;
        set = CMusicSet::CreateNew(options);
        auto* event = new CEvent();
        auto design = MakeRef<CSegmentDesign>();
        design->GetSegment()->SetSongKey(path);
        design->GetSegment()->SetEnd(static_cast<int32_t>(frames));
        event->SetSegment(design.get());
        set->GetTrack(1)->AddEvent(event);
    }
    void TearDown() override {
        player.Close();
        database.Close();
        fs::remove_all(dir);
    }

    void Open() {
        ASSERT_TRUE(player.Open(nullptr, &database, set.get(), nullptr, false, 2, 0x8000));
        buffer = clock->Buffers().back();
        buffer->RecordHeard(true);
    }
    // Waits until the output has served a notification: it reads the
    // cursors, then fills under the position lock that GetPosition waits for.
    void Served(uint64_t before, const MessageQueue* window = nullptr) {
        ASSERT_TRUE(WaitUntil([&] { return buffer->GetCursorReadCount() > before || (window && window->Size() > 0); }));
        if (!frozen) Output().GetPosition();
    }
    void Play() {
        uint64_t before = buffer->GetCursorReadCount();
        ASSERT_TRUE(player.Play());
        ASSERT_NO_FATAL_FAILURE(Served(before));
    }
    // One notification interval, served before the clock moves again.
    void Step(int count = 1, const MessageQueue* window = nullptr) {
        for (int i = 0; i < count; ++i) {
            uint64_t before = buffer->GetCursorReadCount();
            clock->Advance(kStep);
            ASSERT_NO_FATAL_FAILURE(Served(before, window));
        }
    }
    const CStreamAudioOutput& Output() const { return *player.GetOutput(); }

    bool frozen = false;  // paused: the track streams are locked by this thread
    std::vector<int16_t> HeardLeft() {
        std::vector<uint8_t> bytes = buffer->TakeHeard();
        std::vector<int16_t> left(bytes.size() / 4);
        for (size_t i = 0; i < left.size(); ++i) left[i] = static_cast<int16_t>(bytes[4 * i] | bytes[4 * i + 1] << 8);
        return left;
    }

    fs::path dir;
    CMusicDatabase database;
    RefPtr<CMusicSet> set;
    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    CSetPlayer player{[clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); }};
    NullAudioBuffer* buffer = nullptr;
};

TEST_F(SetPlayerTest, ThreadedPlaysTheSetFromAPositionAndPausesInPlace) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(player.GetTrackCount(), 2);
    player.SetPosition(44100);
    ASSERT_NO_FATAL_FAILURE(Play());
    ASSERT_NO_FATAL_FAILURE(Step(20));
    std::vector<int16_t> heard = HeardLeft();
    ASSERT_EQ(heard.size(), 20u * kStep);
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], Sample(44100 + i)) << "heard frame " << i;
    EXPECT_EQ(player.GetPlayPosition(), 44100u + 20 * kStep);

    // Paused: the position holds. While paused this thread holds the track
    // streams' locks, so it reads the position without waiting on the output.
    buffer->RecordHeard(false);
    player.Pause();
    frozen = true;
    ASSERT_NO_FATAL_FAILURE(Step(12));
    uint32_t paused = player.GetPlayPosition();
    ASSERT_NO_FATAL_FAILURE(Step(6));
    EXPECT_EQ(player.GetPlayPosition(), paused);
    player.Resume();
    frozen = false;
    ASSERT_NO_FATAL_FAILURE(Step(6));
    EXPECT_GT(player.GetPlayPosition(), paused);

    // Muting and volumes reach the set stream.
    player.MuteTrack(0);
    EXPECT_TRUE(player.IsTrackMuted(0));
    player.SetTrackVolume(1, 0.5);
    EXPECT_EQ(player.GetTrackVolume(1), 0.5);
    player.Stop();
}

TEST_F(SetPlayerTest, ThreadedEndPositionStopsPlaybackAndTellsTheWindow) {
    ASSERT_NO_FATAL_FAILURE(Open());
    MessageQueue window;
    player.SetNotifyWindow(&window);
    player.SetEndPosition(SetEndFrame(*set));
    EXPECT_EQ(SetEndFrame(*set), 100000u);
    player.SetPosition(95000);
    ASSERT_NO_FATAL_FAILURE(Play());
    // Four intervals reach the end, then two buffer lengths (12 notifications).
    for (int i = 0; i < 40 && !window.Size(); ++i) ASSERT_NO_FATAL_FAILURE(Step(1, &window));
    ASSERT_TRUE(WaitUntil([&] { return window.Size() > 0; }));
    EXPECT_EQ(window.Take()->message, CStreamAudioOutput::kPlaybackEndedMessage);
}

}  // namespace
}  // namespace vantor
