// The set editor playing on a real sound server process: Set Start starts
// it, the play cursor follows it, commits and track volumes reach it, an
// editor closed leaves it playing, Connect brings the set and its loop back,
// and Stop ends it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "editing/editing_fixtures.h"
#include "model/memory_istream.h"
#include "model/set_file.h"
#include "database/music_database.h"
#include "platform/file_lock.h"
#include "platform/scripted_user_interface.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

using Start = CMusicSetView::StartPoint;

bool Alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// The record of the set as read back from its own record.
std::vector<uint8_t> ReadBack(const CMusicSet& set) {
    const std::vector<uint8_t> bytes = SerializeToBytes(set);
    auto copy = MakeRef<CMusicSet>();
    CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
    copy->Deserialize(in);
    return SerializeToBytes(*copy);
}

class SetAudioProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        config.SetDefaults();
        config.SetUseSoundServer(true);
        set->SetName("Friday");
    }
    void TearDown() override {
        if (pid > 0 && Alive(pid)) {
            CServerLink link;
            link.Shutdown();
            if (!test::WaitUntil([&] { return !Alive(pid); })) ::kill(pid, SIGKILL);
        }
    }
    SetAudioSetup AudioSetup() {
        SetAudioSetup setup;
        setup.linkInUse = &slot;
        setup.startServer = [this]() -> Result<pid_t> {
            auto started = test::RunVantor("--home " + home.Path() + " server start");
            auto at = started.out.find("process ");
            if (started.exitCode != 0 || at == std::string::npos)
                return Refusal{"Failed to start Sound Server. Error: " + started.err, "Start Sound Server"};
            pid = std::atoi(started.out.c_str() + at + 8);
            return pid;
        };
        return setup;
    }

    test::TempDir home{"set-audio-home"};
    test::TempDir runtime{"set-audio-proc-run"};
    CConfiguration config;
    ScriptedUserInterface ui;
    LinkInUse slot;
    RefPtr<CMusicSet> set = test::NewSet(2);
    pid_t pid = -1;
};

TEST_F(SetAudioProcessTest, ThreadedTheSetPlaysOnTheServerBeyondItsEditorAndComesBackOnConnect) {
    CEvent* event = test::AddSegment(*set, 1, 0, 0, 1000, 1.0, "/nowhere.wav");
    {
        CMusicSetView view{ui, nullptr, set.get(), "", config};
        view.ConfigureAudio(AudioSetup());
        view.GetState().SetLeftMarker(1.0);
        view.GetState().SetRightMarker(3.0);
        ASSERT_TRUE(view.SetLoop());
        ASSERT_TRUE(view.SetStart(Start::Beginning));
        EXPECT_TRUE(ui.Messages().empty()) << ui.Messages().front().text;
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(slot.IsInUse());
        CServerLink& link = *view.GetAudio().GetLink();

        // What was sent is what the server plays, byte for byte once read:
        // a reader keeps no spare capacity in the arrays' bookkeeping.
        RefPtr<CMusicSet> playing = link.GetSet();
        ASSERT_TRUE(playing);
        EXPECT_EQ(SerializeToBytes(*playing), ReadBack(*set));
        EXPECT_EQ(ReadBack(*playing), SerializeToBytes(*playing));

        const double first = view.GetPlayCursor().value_or(-1);
        EXPECT_GE(first, 0.0);
        EXPECT_TRUE(test::WaitUntil([&] { return view.GetPlayCursor().value_or(-1) > first; }));
        EXPECT_TRUE(view.GetAudio().SetTrackVolume(1, 0.25));
        EXPECT_DOUBLE_EQ(view.GetAudio().GetTrackVolume(1), 0.25);
        EXPECT_DOUBLE_EQ(view.GetAudio().GetTrackVolume(2), 0.0);

        // An edit committed reaches the playing set.
        view.GetState().SelectOnly(1, event);
        view.Erase();
        ASSERT_TRUE(view.CanUndo());
        ASSERT_TRUE(view.CommitChanges());
        EXPECT_FALSE(view.CanUndo());
        playing = link.GetSet();
        ASSERT_TRUE(playing);
        EXPECT_EQ(playing->GetTrack(1)->GetEvents().GetCount(), 0);
        EXPECT_EQ(ReadBack(*playing), ReadBack(*set));
    }
    // The editor closed: the server plays on, the link is free.
    EXPECT_FALSE(slot.IsInUse());
    EXPECT_TRUE(Alive(pid));

    auto connection = SetAudio::Connect(ui, config, slot, false);
    ASSERT_TRUE(connection);
    EXPECT_STREQ(connection->set->GetName(), "Friday");
    EXPECT_EQ(connection->loopStart, 44100);
    EXPECT_EQ(connection->loopEnd, 3 * 44100);
    ASSERT_TRUE(slot.IsInUse());

    CMusicSetView again{ui, nullptr, connection->set.get(), "", config};
    again.ConfigureAudio(AudioSetup());
    again.TakeConnection(*connection);
    ASSERT_TRUE(again.GetState().GetLoop());
    EXPECT_EQ(again.GetState().GetLoop()->start, 44100);
    EXPECT_TRUE(again.IsStopEnabled());
    EXPECT_FALSE(again.IsSetStartEnabled());
    EXPECT_TRUE(again.GetPlayCursor().has_value());

    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(again.StopSet());
    EXPECT_FALSE(slot.IsInUse());
    EXPECT_TRUE(test::WaitUntil([&] { return !Alive(pid); }));
    ::waitpid(pid, nullptr, WNOHANG);
    EXPECT_FALSE(again.GetPlayCursor());

    // Nothing plays any more: Connect says so and leaves the link free.
    EXPECT_FALSE(SetAudio::Connect(ui, config, slot, false));
    EXPECT_EQ(ui.Messages().back().text, "Unable to connect to Sound Server.");
    EXPECT_EQ(ui.Messages().back().caption, "Connect To Sound Server");
    EXPECT_FALSE(slot.IsInUse());
}

// The workstation stores a song while the set plays on the server: the
// server is told to read the database again, and it does so only once the
// writer of another process has let the store go.
TEST_F(SetAudioProcessTest, ThreadedTheServerRereadsTheDatabaseAfterTheWriterLetsGo) {
    CMusicDatabase database;
    ASSERT_TRUE(database.Open(home.Path() + "/"));
    CMusicSetView view{ui, &database, set.get(), "", config};
    view.ConfigureAudio(AudioSetup());
    ASSERT_TRUE(view.SetStart(Start::Beginning));
    CServerLink& link = *view.GetAudio().GetLink();
    ASSERT_TRUE(link.GetPosition().has_value());

    // Another process's writer holds the store.
    FileLock writer;
    ASSERT_TRUE(writer.Open(home.Path() + "/SONGS.LCK", false));
    ASSERT_EQ(writer.Lock(FileLock::Mode::Exclusive, FileLock::Wait::Try), FileLock::Outcome::Locked);
    CSongProfile song;
    song.SetLocalPath(home.Path() + "/song.wav");
    song.SetTitle("Song");
    // The change listener's message: the server waits for the writer, so the
    // next answer comes only after the lock was let go.
    ASSERT_TRUE(link.ReloadDatabase());
    const auto began = std::chrono::steady_clock::now();
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        writer.Unlock();
    });
    const auto position = link.GetPosition();
    const auto waited = std::chrono::steady_clock::now() - began;
    release.join();
    EXPECT_TRUE(position.has_value());
    EXPECT_GE(waited, std::chrono::milliseconds(500));

    // A song stored here reaches the server through the listener.
    ASSERT_TRUE(database.PutSong(song));
    EXPECT_TRUE(link.GetPosition().has_value());
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(view.StopSet());
    EXPECT_TRUE(test::WaitUntil([&] { return !Alive(pid); }));
}

}  // namespace
}  // namespace vantor
