// The set editor's set audio: Set Start, Stop, Commit and the play cursor,
// with the set on a local player, and the link's side against a stand-in
// server that records what it is sent.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "editing/editing_fixtures.h"
#include "platform/local_socket.h"
#include "platform/null_audio_device.h"
#include "platform/runtime_directory.h"
#include "platform/scripted_user_interface.h"
#include "server/message_reader.h"
#include "server/socket_message_source.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

using Start = CMusicSetView::StartPoint;

class SetAudioLocalTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.SetDefaults();
        key = library.AddSong("Song", 400000);
        test::AddSegment(*set, 1, 0, 0, 400000, 1.0, key);
        SetAudioSetup setup;
        setup.opener = [clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); };
        setup.attachPlayer = [this](CSetPlayer* player) { attached = player; };
        setup.detachPlayer = [this] { attached = nullptr; };
        view.ConfigureAudio(std::move(setup));
    }
    void EditSomething() {
        view.GetState().SetLeftMarker(2.0);
        view.GetState().SetSelectedTrack(1);
        view.GetState().SelectOnly(1, test::EventAtIndex(*set->GetTrack(1), 0));
        ASSERT_TRUE(view.SplitSegment());
        ASSERT_TRUE(view.CanUndo());
    }

    test::SongLibrary library;
    std::string key;
    CConfiguration config;
    ScriptedUserInterface ui;
    RefPtr<CMusicSet> set = test::NewSet(2);
    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    CSetPlayer* attached = nullptr;
    CMusicSetView view{ui, &library.Database(), set.get(), "", config};
};

TEST_F(SetAudioLocalTest, CancelOnTheCommitQuestionStartsNothingAndKeepsTheEdits) {
    ASSERT_NO_FATAL_FAILURE(EditSomething());
    ui.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(view.SetStart(Start::Beginning));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Set must be committed before starting audio.\nUndo history will be cleared.");
    EXPECT_EQ(ui.Messages()[0].caption, "Start Set Audio");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(view.GetAudio().IsPlaying());
    EXPECT_TRUE(view.CanUndo());
    EXPECT_TRUE(view.IsSetStartEnabled());
    EXPECT_EQ(attached, nullptr);

    // OK commits, then plays the set as edited, from the left marker.
    ui.QueueAnswer(MessageAnswer::Ok);
    ASSERT_TRUE(view.SetStart(Start::LeftMarker));
    EXPECT_FALSE(view.CanUndo());
    CSetPlayer* player = view.GetAudio().GetPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(attached, player);
    EXPECT_EQ(player->GetPlayPosition(), 88200u);
    EXPECT_DOUBLE_EQ(view.GetPlayCursor().value_or(-1), 2.0);
    EXPECT_TRUE(view.GetAudio().IsCursorTimerRunning());
    EXPECT_FALSE(view.IsSetStartEnabled());
    EXPECT_TRUE(view.IsStopEnabled());
    EXPECT_FALSE(view.SetStart(Start::Beginning));  // a player is there already
}

TEST_F(SetAudioLocalTest, StopAsksAndOnlyYesStops) {
    view.GetState().SetLeftMarker(1.0);
    view.GetState().SetRightMarker(3.0);
    ASSERT_TRUE(view.SetLoop());
    ASSERT_TRUE(view.SetStart(Start::RightMarker));
    CSetPlayer* player = view.GetAudio().GetPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->GetPlayPosition(), 3u * 44100);
    uint32_t loopStart = 0, loopEnd = 0;
    player->GetOutput()->GetLoop(loopStart, loopEnd);
    EXPECT_EQ(loopStart, 44100u);
    EXPECT_EQ(loopEnd, 3u * 44100);
    EXPECT_DOUBLE_EQ(view.GetAudio().GetTrackVolume(1), 1.0);
    EXPECT_TRUE(view.GetAudio().SetTrackVolume(1, 0.5));
    EXPECT_DOUBLE_EQ(view.GetAudio().GetTrackVolume(1), 0.5);
    EXPECT_FALSE(view.GetAudio().SetTrackVolume(9, 0.5));
    EXPECT_FALSE(view.GetAudio().SetTrackVolume(1, 4.0));

    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(view.StopSet());
    EXPECT_EQ(ui.Messages().back().text, "Are you sure?");
    EXPECT_EQ(ui.Messages().back().caption, "Stop Set");
    EXPECT_EQ(ui.Messages().back().buttons, MessageButtons::YesNo);
    EXPECT_TRUE(view.GetAudio().IsPlaying());
    ui.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(view.StopSet());
    EXPECT_FALSE(view.GetAudio().IsPlaying());
    EXPECT_EQ(attached, nullptr);
    EXPECT_FALSE(view.GetPlayCursor());
    EXPECT_EQ(view.GetAudio().GetTrackVolume(1), -1.0);
    EXPECT_FALSE(view.StopSet());  // nothing plays: nothing asked
}

TEST_F(SetAudioLocalTest, ConnectNeedsNoOpenSetAndTheServerOption) {
    LinkInUse slot;
    EXPECT_FALSE(SetAudio::Connect(ui, config, slot, true));
    EXPECT_EQ(ui.Messages().back().text, "All sets must be closed before connecting to the Sound Server.");
    EXPECT_EQ(ui.Messages().back().caption, "Connect");
    EXPECT_FALSE(SetAudio::Connect(ui, config, slot, false));
    EXPECT_EQ(ui.Messages().back().text, "Sound Server must be enabled in the configuration before connecting.");
    EXPECT_FALSE(slot.IsInUse());
}

// A server that records the codes of the messages it gets.
class StandInServer {
public:
    explicit StandInServer(const std::string& path) {
        EXPECT_TRUE(m_listener.Listen(path));
        m_thread = std::thread([this] { Serve(); });
    }
    ~StandInServer() {
        m_waker.Wake();
        m_thread.join();
    }
    std::vector<int32_t> Codes() {
        std::lock_guard lock(m_lock);
        return m_codes;
    }
    size_t Count(int32_t code) {
        auto codes = Codes();
        return static_cast<size_t>(std::count(codes.begin(), codes.end(), code));
    }

private:
    void Serve() {
        for (;;) {
            LocalSocket client = m_listener.Accept(m_waker);
            if (!client.IsOpen()) return;
            SocketMessageSource source(client, std::chrono::milliseconds(-1), &m_waker);
            MessageReader reader(source, MessageReader::Role::Server);
            ServerMessage message;
            for (;;) {
                auto outcome = reader.Read(message);
                if (outcome == MessageReader::Outcome::Woken) return;
                if (outcome != MessageReader::Outcome::Message) break;
                std::lock_guard lock(m_lock);
                m_codes.push_back(message.header.code);
            }
        }
    }

    LocalListener m_listener;
    SocketWaker m_waker;
    std::mutex m_lock;
    std::vector<int32_t> m_codes;
    std::thread m_thread;
};

class SetAudioServerTest : public SetAudioLocalTest {
protected:
    void SetUp() override {
        SetAudioLocalTest::SetUp();
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        config.SetUseSoundServer(true);
        SetAudioSetup setup;
        setup.linkInUse = &slot;
        setup.retryDelay = std::chrono::milliseconds(1);
        setup.startServer = [this]() -> Result<pid_t> {
            ++starts;
            if (!server) return Refusal{"Sound Server not responding (2).", "Start Sound Server", MessageIcon::Error};
            return ::getpid();
        };
        setup.releaseControllers = [this] { controllers += "release "; };
        setup.reopenControllers = [this] { controllers += "reopen "; };
        view.ConfigureAudio(std::move(setup));
    }
    void Serve() { server = std::make_unique<StandInServer>(RuntimeDirectory::PathOf(CServerLink::kPipeName).Value()); }

    test::TempDir runtime{"set-audio-run"};
    LinkInUse slot;
    std::unique_ptr<StandInServer> server;
    int starts = 0;
    std::string controllers;
};

TEST_F(SetAudioServerTest, ThreadedAServerThatDoesNotComeGivesTheControllersBack) {
    EXPECT_FALSE(view.SetStart(Start::Beginning));
    EXPECT_EQ(ui.Messages().back().text, "Sound Server not responding (2).");
    EXPECT_EQ(ui.Messages().back().caption, "Start Sound Server");
    EXPECT_EQ(controllers, "release reopen ");
    EXPECT_FALSE(slot.IsInUse());
    EXPECT_TRUE(view.IsSetStartEnabled());
}

TEST_F(SetAudioServerTest, ThreadedTheDatabaseListenerReloadsTheServerWhileTheSetPlaysThere) {
    Serve();
    ASSERT_TRUE(view.SetStart(Start::Beginning));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(controllers, "release ");
    ASSERT_TRUE(slot.IsInUse());
    EXPECT_EQ(slot.Get().get(), view.GetAudio().GetLink());
    ASSERT_TRUE(test::WaitUntil([&] { return server->Codes().size() >= 2; }));
    EXPECT_EQ(server->Codes()[0], SSM_START_SET);
    EXPECT_EQ(server->Codes()[1], SSM_SET_LOOP);

    // A second editor finds the server in use and changes nothing.
    RefPtr<CMusicSet> other = test::NewSet(1);
    CMusicSetView second{ui, &library.Database(), other.get(), "", config};
    SetAudioSetup setup;
    setup.linkInUse = &slot;
    setup.startServer = [this]() -> Result<pid_t> { ++starts; return ::getpid(); };
    second.ConfigureAudio(std::move(setup));
    EXPECT_FALSE(second.SetStart(Start::Beginning));
    EXPECT_EQ(ui.Messages().back().text, "Sound Server is currently in use by another set.");
    EXPECT_EQ(ui.Messages().back().caption, "Start Set");
    EXPECT_EQ(starts, 1);

    // Storing a song, from any thread, has the server read the database again.
    std::thread writer([&] { library.AddSong("Other", 1000); });
    writer.join();
    EXPECT_TRUE(test::WaitUntil([&] { return server->Count(SSM_RELOAD_DATABASE) == 1; }));

    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(view.StopSet());
    EXPECT_TRUE(test::WaitUntil([&] { return server->Count(SSM_SHUTDOWN) == 1; }));
    EXPECT_FALSE(slot.IsInUse());
    EXPECT_EQ(controllers, "release reopen ");
    // No longer listening: a change reaches no server.
    library.AddSong("Third", 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(server->Count(SSM_RELOAD_DATABASE), 1u);
}

TEST_F(SetAudioServerTest, ThreadedAnEditorClosedWhileTheServerPlaysSendsNothingAndFreesTheLink) {
    Serve();
    {
        CMusicSetView editor{ui, &library.Database(), set.get(), "", config};
        SetAudioSetup setup;
        setup.linkInUse = &slot;
        setup.startServer = []() -> Result<pid_t> { return ::getpid(); };
        editor.ConfigureAudio(std::move(setup));
        ASSERT_TRUE(editor.SetStart(Start::Beginning));
        ASSERT_TRUE(slot.IsInUse());
        ASSERT_TRUE(test::WaitUntil([&] { return server->Codes().size() >= 2; }));
    }
    EXPECT_FALSE(slot.IsInUse());
    library.AddSong("Later", 1000);  // the closed editor no longer listens
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(server->Codes(), (std::vector<int32_t>{SSM_START_SET, SSM_SET_LOOP}));
}

}  // namespace
}  // namespace vantor
