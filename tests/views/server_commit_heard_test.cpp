// An edit committed over the link while the server plays is heard from the
// server's current position on: a window of what the server's output played
// after the commit equals a local render of the edited set at that position.
// The server's dialog and socket thread run in this process so that its null
// device's output can be recorded; the edit travels over a real socket.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "editing/editing_fixtures.h"
#include "engine/set_player.h"
#include "platform/null_audio_device.h"
#include "platform/runtime_directory.h"
#include "platform/scripted_user_interface.h"
#include "server/server_dlg.h"
#include "server/server_link.h"
#include "server/server_pipe.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

constexpr const char* kName = "KAVRO-heard";
constexpr uint32_t kStep = 1280;

std::vector<int16_t> Left(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> left(bytes.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) left[i] = static_cast<int16_t>(bytes[4 * i] | bytes[4 * i + 1] << 8);
    return left;
}

// Moves the clock on by a small step. When the play cursor passed a
// notification, waits until the output has been woken and has given back
// the region it refilled, so the clock never runs into bytes being written.
void Step(ManualAudioClock& clock, NullAudioBuffer& buffer) {
    const uint64_t reads = buffer.GetCursorReadCount();
    const uint64_t locks = buffer.GetLockCount();
    clock.Advance(kStep);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(30);
    while (buffer.GetCursorReadCount() == reads && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (buffer.GetCursorReadCount() == reads) return;
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    auto filling = [&] { return buffer.GetLockCount() == locks || buffer.GetUnlockCount() != buffer.GetLockCount(); };
    while (filling() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

TEST(ServerCommitHeardTest, ThreadedACommittedEditIsHeardFromTheServersPosition) {
    test::TempDir runtime{"heard-run"};
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    test::SongLibrary library;
    const std::string key = library.AddSong("Song", 400000);
    CConfiguration config;
    config.SetDefaults();
    RefPtr<CMusicSet> set = test::NewSet(2);
    test::AddSegment(*set, 1, 0, 0, 400000, 1.0, key);

    auto serverClock = std::make_shared<ManualAudioClock>();
    CServerDlg dialog(config, nullptr, &library.Database(),
                      [serverClock](const DeviceId*) { return std::make_unique<NullAudioDevice>(serverClock); });
    CServerPipe pipe(&dialog, nullptr);
    ASSERT_TRUE(pipe.Listen(RuntimeDirectory::PathOf(kName).Value()));
    ASSERT_TRUE(pipe.Start());
    auto link = std::make_shared<CServerLink>(kName);

    ASSERT_TRUE(link->StartSet(nullptr, *set, 0));
    ASSERT_TRUE(test::WaitUntil([&] { return dialog.IsRunning(); }));
    ASSERT_FALSE(serverClock->Buffers().empty());
    NullAudioBuffer& heardBuffer = *serverClock->Buffers().back();
    heardBuffer.RecordHeard(true);
    // The output's first fill, of the whole buffer, done before the clock moves.
    ASSERT_TRUE(test::WaitUntil([&] {
        return heardBuffer.GetCursorReadCount() > 0 && heardBuffer.GetLockCount() > 0 &&
               heardBuffer.GetUnlockCount() == heardBuffer.GetLockCount();
    }));
    for (int i = 0; i < 20; ++i) Step(*serverClock, heardBuffer);
    const uint32_t committedAt = static_cast<uint32_t>(link->GetPosition().value_or(0));
    ASSERT_GT(committedAt, 0u);

    // The editor splits the segment four seconds ahead, past all the server
    // has rendered into its large buffer, and erases its rest; then it
    // commits over the link.
    ScriptedUserInterface ui;
    CMusicSetView view{ui, &library.Database(), set.get(), "", config};
    view.SetServerLink([link](const CSetHistory& history) { return link->Commit(history); });
    const uint32_t cut = committedAt + 4 * 44100;
    view.GetState().SetSelectedTrack(1);
    view.GetState().SelectOnly(1, test::EventAtIndex(*set->GetTrack(1), 0));
    view.GetState().SetLeftMarker(static_cast<double>(cut) / 44100);
    ASSERT_TRUE(view.SplitSegment());
    view.GetState().SelectOnly(1, test::EventAtIndex(*set->GetTrack(1), 1));
    view.Erase();
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    ASSERT_TRUE(view.CommitChanges());
    // The server's set is the edited one once the commit has been served.
    RefPtr<CMusicSet> playing = link->GetSet();
    ASSERT_TRUE(playing);
    EXPECT_EQ(playing->GetTrack(1)->GetEvents().GetCount(), 1);

    const uint32_t windowStart = cut - 10000;
    const uint32_t windowEnd = cut + 20000;
    while (link->GetPosition().value_or(INT32_MAX) < static_cast<int32_t>(windowEnd + kStep)) Step(*serverClock, heardBuffer);
    const std::vector<int16_t> heard = Left(heardBuffer.TakeHeard());
    ASSERT_GE(heard.size(), windowEnd);
    ASSERT_TRUE(link->Shutdown());
    pipe.Join(5);

    // The edited set rendered here from the window's start.
    auto localClock = std::make_shared<ManualAudioClock>();
    CSetPlayer local([localClock](const DeviceId*) { return std::make_unique<NullAudioDevice>(localClock); });
    RefPtr<CMusicSet> edited(set->Clone());
    ASSERT_TRUE(local.Open(nullptr, &library.Database(), edited.get(), nullptr, true, 2, 0x8000));
    local.SetPosition(windowStart);
    NullAudioBuffer& localBuffer = *localClock->Buffers().back();
    localBuffer.RecordHeard(true);
    const uint64_t before = localBuffer.GetCursorReadCount();
    ASSERT_TRUE(local.Play());
    ASSERT_TRUE(test::WaitUntil([&] { return localBuffer.GetCursorReadCount() > before; }));
    local.GetOutput()->GetPosition();
    while (local.GetPlayPosition() < windowEnd + kStep) Step(*localClock, localBuffer);
    const std::vector<int16_t> rendered = Left(localBuffer.TakeHeard());
    local.Stop();
    ASSERT_GE(rendered.size(), windowEnd - windowStart);

    for (uint32_t frame = windowStart; frame < windowEnd; ++frame)
        ASSERT_EQ(heard[frame], rendered[frame - windowStart]) << "frame " << frame;
    // The window holds both sides of the cut: the song up to it, then silence.
    EXPECT_NE(heard[cut - 1], 0);
    EXPECT_EQ(heard[cut + 1000], 0);
}

}  // namespace
}  // namespace vantor
