#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "control/midi_bindings.h"
#include "control/midi_input.h"
#include "control/sample_bank.h"
#include "platform/clipboard.h"
#include "platform/null_audio_device.h"
#include "platform/runtime_directory.h"
#include "platform/scripted_user_interface.h"
#include "shell/test_desk.h"
#include "server/server_dlg.h"
#include "server/server_pipe.h"
#include "shell/vantor_app.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "support/wave_bytes.h"
#include "views/configuration_dialog.h"
#include "views/database_update.h"
#include "views/find_music_view.h"
#include "views/set_document.h"

namespace vantor {
namespace {

using test::Desk;
using test::DeskWindow;

class FakeFrame : public IMainFrame {
public:
    bool Create() override {
        steps.push_back("create");
        return creatable;
    }
    void Show() override { steps.push_back("show"); }
    void SetEffectPresetTips(const std::vector<std::string>& names) override { tips = names; }
    void SetRecentSets(const std::vector<std::string>& paths) override { recent = paths; }
    void SetSampleTips(const std::vector<std::string>& names) override { sampleTips = names; }

    bool creatable = true;
    std::vector<std::string> sampleTips;
    std::vector<std::string> steps;
    std::vector<std::string> tips;
    std::vector<std::string> recent;
};

class VantorAppTest : public ::testing::Test {
protected:
    std::string Home() const { return dir.Path() + "/"; }

    bool Start(std::vector<std::string> arguments = {}) {
        return app->StartUp(Home(), arguments, desk->Template());
    }
    void Restart() {
        desk.reset();
        app = std::make_unique<CVantorApp>(ui, frame);
        desk = std::make_unique<Desk>(app->Registry());
    }
    // A one-second wave in slot 0 of the default presets; its path.
    std::string SaveHornAsDefaultPresets() {
        const std::string wave = dir / "horn.wav";
        std::ofstream(wave, std::ios::binary) << test::WaveHeader(2, 44100, 44100) << std::string(44100 * 4, '\0');
        CSampleBank bank;
        EXPECT_TRUE(bank.LoadSlot(0, "Horn", wave));
        EXPECT_TRUE(bank.SavePresets(dir / CSampleBank::kDefaultPresets));
        return wave;
    }
    std::string WriteSet(const std::string& name) {
        ScriptedUserInterface quiet;
        CSetDocument document(quiet);
        document.New(NewSetOptions{});
        const std::string path = dir / name;
        EXPECT_TRUE(document.SaveAsPath(path));
        return path;
    }

    test::TempDir dir{"vantor-shell"};
    ScriptedUserInterface ui;
    FakeFrame frame;
    std::unique_ptr<CVantorApp> app = std::make_unique<CVantorApp>(ui, frame);
    std::unique_ptr<Desk> desk = std::make_unique<Desk>(app->Registry());
};

TEST_F(VantorAppTest, AMainWindowThatCannotBeMadeEndsTheStartBeforeTheDatabaseOpens) {
    frame.creatable = false;
    EXPECT_FALSE(Start());
    EXPECT_FALSE(app->Database().IsOpen());
    EXPECT_FALSE(app->IsStarted());
    app->ViewMusic();
    EXPECT_TRUE(desk->windows.empty()) << "no kind registered";
}

TEST_F(VantorAppTest, StartUpOpensTheDatabaseRegistersEveryKindAndTheClipboardFormats) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(frame.steps, (std::vector<std::string>{"create", "show"}));
    EXPECT_TRUE(app->Database().IsOpen());
    EXPECT_EQ(frame.tips.size(), 6u);
    EXPECT_NE(Clipboard::Instance().FindFormat("VantorSegment Design"), 0u);
    EXPECT_NE(Clipboard::Instance().FindFormat("VantorSet Clip"), 0u);
    app->ViewMusic();
    app->ViewMusic();
    app->Find();
    app->LoadMusic();
    app->EditCategories();
    app->NewPlaylist();
    EXPECT_EQ(desk->windows.size(), 5u);
    EXPECT_EQ(desk->Of(WindowKind::MusicDatabase)[0]->broughtToTop, 1);
}

TEST_F(VantorAppTest, StartUpLoadsTheDefaultSamplesAndTheControllerBindingsAndExitLetsThemGo) {
    // A one-second wave in slot 0, saved as the default presets; a trigger
    // and a volume binding saved as the controller bindings.
    SaveHornAsDefaultPresets();
    {
        CSampleBank bank;
        CMIDIBindings bindings(bank);
        bindings.Triggers().Add(1, 10, 127, 1);
        bindings.Volumes().Add(1, 11, 1);
        ASSERT_TRUE(bindings.Save(dir / CMIDIBindings::kFileName));
    }
    ASSERT_TRUE(Start());
    ASSERT_EQ(frame.sampleTips.size(), 8u);
    EXPECT_EQ(frame.sampleTips[0], "Horn");
    EXPECT_EQ(frame.sampleTips[1], "");
    EXPECT_TRUE(app->IsTriggerSampleEnabled(0));
    EXPECT_FALSE(app->IsTriggerSampleEnabled(1));
    EXPECT_FALSE(app->IsTriggerSampleEnabled(8)) << "the preview slot has no button";
    EXPECT_FALSE(app->TriggerSample(1));
    EXPECT_TRUE(app->TriggerSample(0));

    // A new MIDI device keeps every binding on its new input table.
    ASSERT_EQ(app->MIDIInput()->GetRecords(1, 10).size(), 1u);
    const CMIDIInput* before = app->MIDIInput();
    app->ReplaceMIDIInput();
    EXPECT_NE(app->MIDIInput(), before);
    EXPECT_EQ(app->MIDIInput()->GetRecords(1, 10).size(), 1u);
    EXPECT_EQ(app->MIDIInput()->GetRecords(1, 11).size(), 1u);
    EXPECT_EQ(app->MIDIInput()->GetCellCount(), 2);

    EXPECT_TRUE(app->CloseMainWindow());
    EXPECT_EQ(app->SampleBank(), nullptr);
    EXPECT_EQ(app->MIDIInput(), nullptr);
    EXPECT_EQ(app->MIDIBindings(), nullptr);
}

TEST_F(VantorAppTest, AFileOnTheCommandLineOpensOnceTheDatabaseAndWindowsExist) {
    const std::string playlist = dir / "party.plt";
    std::ofstream(playlist, std::ios::binary).write("\0\0\0\0", 4);
    bool databaseOpenAtOpening = false;
    desk->onCreate = [&](DeskWindow&) { databaseOpenAtOpening = app->Database().IsOpen(); };
    ASSERT_TRUE(Start({playlist}));
    auto playlists = desk->Of(WindowKind::Playlist);
    ASSERT_EQ(playlists.size(), 1u);
    EXPECT_TRUE(databaseOpenAtOpening);
    EXPECT_EQ(std::any_cast<PlaylistOpening>(playlists[0]->data).path, playlist);
}

TEST_F(VantorAppTest, AnUnknownCommandLineEndsTheStart) {
    EXPECT_FALSE(Start({"--frobnicate"}));
    EXPECT_FALSE(app->IsStarted());
    Restart();
    EXPECT_FALSE(Start({"a.set", "b.set"}));
}

TEST_F(VantorAppTest, NewMakesASetWithATempoTrackAndTheConfiguredTracks) {
    ASSERT_TRUE(Start());
    app->Configuration().SetNumberOfTracks(12);
    app->New();
    auto sets = desk->Of(WindowKind::MusicSet);
    ASSERT_EQ(sets.size(), 1u);
    auto document = std::any_cast<std::shared_ptr<CSetDocument>>(sets[0]->data);
    CMusicSet* set = document->GetSet();
    ASSERT_EQ(set->GetTracks().GetCount(), 13);
    EXPECT_STREQ(set->GetTrack(0)->GetName(), "Tempo");
    EXPECT_STREQ(set->GetTrack(12)->GetName(), "Track 12");
    app->New();
    EXPECT_EQ(desk->Of(WindowKind::MusicSet).size(), 2u);
}

TEST_F(VantorAppTest, OpeningAMissingFileSaysSoAndOpensNothing) {
    ASSERT_TRUE(Start());
    ui.QueueOpenFiles({dir / "gone.set"});
    EXPECT_FALSE(app->OpenSet());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to find specified file.");
    EXPECT_EQ(ui.Messages()[0].caption, "Open Set");
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.FileChoices()[0].filter, "set files (*.set)|*.set|playlist files (*.plt)|*.plt||");
    EXPECT_TRUE(desk->windows.empty());
}

TEST_F(VantorAppTest, RecentSetsKeepFiveAndLastBetweenRuns) {
    ASSERT_TRUE(Start());
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) paths.push_back(WriteSet("set" + std::to_string(i) + ".set"));
    for (const auto& path : paths) ASSERT_TRUE(app->OpenPath(path));
    const std::vector<std::string> expected = {paths[5], paths[4], paths[3], paths[2], paths[1]};
    EXPECT_EQ(app->RecentSets().Paths(), expected);
    EXPECT_EQ(frame.recent, expected);
    EXPECT_TRUE(app->CloseMainWindow());

    Restart();
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->RecentSets().Paths(), expected);
    EXPECT_EQ(frame.recent, expected);
    ASSERT_TRUE(app->OpenRecent(2));
    EXPECT_EQ(app->RecentSets().Paths().front(), paths[3]);
    EXPECT_FALSE(app->OpenRecent(5));
}

TEST_F(VantorAppTest, ConfigurationRefusesTheSoundServerSwitchWhileASetIsOpen) {
    ASSERT_TRUE(Start());
    app->New();
    auto dialog = app->MakeConfigurationDialog();
    const bool before = app->Configuration().GetUseSoundServer();
    dialog->GetValues().useSoundServer = !before;
    dialog->GetValues().maxLatestTitles = "3";
    EXPECT_TRUE(dialog->OnOK());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "All sets must be closed before changing any Sound Server settings.");
    EXPECT_EQ(app->Configuration().GetUseSoundServer(), before);
    EXPECT_EQ(app->RecentTitles().GetLimit(), 3);

    ASSERT_TRUE(app->CloseMainWindow());
    Restart();
    ASSERT_TRUE(Start());
    auto again = app->MakeConfigurationDialog();
    again->GetValues().useSoundServer = !before;
    EXPECT_TRUE(again->OnOK());
    EXPECT_EQ(app->Configuration().GetUseSoundServer(), !before);
}

TEST_F(VantorAppTest, CompactingAsksFirstAndTellsTheDatabaseWindowToRefill) {
    ASSERT_TRUE(Start());
    app->ViewMusic();
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(app->CompactDatabase());
    EXPECT_EQ(app->Registry().PendingCount(), 0u);
    ui.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(app->CompactDatabase());
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[1].text, "Are you sure?");
    EXPECT_EQ(ui.Messages()[1].caption, "Compact Database");
    EXPECT_EQ(ui.Messages()[1].buttons, MessageButtons::YesNo);
    app->RunPosted();
    ASSERT_EQ(desk->Of(WindowKind::MusicDatabase)[0]->received.size(), 1u);
    EXPECT_EQ(desk->Of(WindowKind::MusicDatabase)[0]->received[0].message, kUserMessage + 1);
}

TEST_F(VantorAppTest, TheEndOfAnUpdatePassRefillsTheDatabaseWindowOnce) {
    ASSERT_TRUE(Start());
    app->ViewMusic();
    ui.QueueAnswer(MessageAnswer::Ok);
    auto update = app->UpdateDatabase();
    ASSERT_TRUE(update);
    // An empty database: the pass ends at once; the window hears of it
    // from the timer, and only once.
    while (!update->IsFinished()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    update->OnTimer();
    update->OnTimer();
    app->RunPosted();
    const auto& received = desk->Of(WindowKind::MusicDatabase)[0]->received;
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, kSongSaved);
    EXPECT_FALSE(received[0].first.has_value());
}

TEST_F(VantorAppTest, LoadRequestsAndFoundKeysOpenTheirWindowFirst) {
    ASSERT_TRUE(Start());
    auto job = LoadJob::Make("Crate 1", "/media/a.wav", dir / "a.wav");
    ASSERT_TRUE(job);
    app->QueueLoad(job.Value());
    auto loaders = desk->Of(WindowKind::LoadFiles);
    ASSERT_EQ(loaders.size(), 1u);
    app->RunPosted();
    ASSERT_EQ(loaders[0]->received.size(), 1u);
    EXPECT_EQ(loaders[0]->received[0].message, kUserMessage + 7);
    EXPECT_EQ(std::any_cast<LoadJob>(loaders[0]->received[0].first).archiveName, "Crate 1");

    auto find = app->MakeFindMusicView();
    find->Find();
    auto lists = desk->Of(WindowKind::MusicDatabase);
    ASSERT_EQ(lists.size(), 1u);
    app->RunPosted();
    ASSERT_EQ(lists[0]->received.size(), 1u);
    EXPECT_EQ(lists[0]->received[0].message, kUserMessage + 8);
}

TEST_F(VantorAppTest, ClosingTheMainWindowStopsWhenAWindowRefuses) {
    ASSERT_TRUE(Start());
    app->New();
    app->ViewMusic();
    desk->Of(WindowKind::MusicSet)[0]->refuseClose = true;
    EXPECT_FALSE(app->CloseMainWindow());
    EXPECT_TRUE(app->IsStarted());
    EXPECT_TRUE(app->Database().IsOpen());
    desk->Of(WindowKind::MusicSet)[0]->refuseClose = false;
    EXPECT_TRUE(app->CloseMainWindow());
    EXPECT_FALSE(app->IsStarted());
    EXPECT_FALSE(app->Database().IsOpen());
}

TEST_F(VantorAppTest, WorkHandedOverFromThreadsRunsOnTheLoopThreaded) {
    ASSERT_TRUE(Start());
    std::atomic<int> wakes{0};
    app->SetWake([&] { ++wakes; });
    int ran = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            for (int j = 0; j < 25; ++j) app->PostToUserInterface([&] { ++ran; });
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wakes.load(), 100);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(app->RunPosted(), 100u);
    EXPECT_EQ(ran, 100);
}

TEST_F(VantorAppTest, SetAudioSharesTheOneServerLinkAndHandsTheControllersOverAndBack) {
    {
        CSampleBank bank;
        CMIDIBindings bindings(bank);
        bindings.Triggers().Add(1, 10, 127, 1);
        ASSERT_TRUE(bindings.Save(dir / CMIDIBindings::kFileName));
    }
    ASSERT_TRUE(Start());
    SetAudioSetup first = app->MakeSetAudioSetup();
    SetAudioSetup second = app->MakeSetAudioSetup();
    EXPECT_EQ(first.linkInUse, &app->ServerLinkInUse());
    EXPECT_EQ(second.linkInUse, first.linkInUse) << "every editor sees the same link";
    EXPECT_EQ(first.effects, &app->Effects());
    ASSERT_TRUE(first.releaseControllers && first.reopenControllers && first.attachPlayer && first.detachPlayer);

    // While the server owns the controllers the map may change on disk; the
    // input opened again after holds the bindings as the file has them now.
    first.releaseControllers();
    EXPECT_FALSE(app->MIDIInput()->IsDeviceOpen());
    {
        CSampleBank bank;
        CMIDIBindings bindings(bank);
        bindings.Triggers().Add(1, 20, 127, 2);
        bindings.Volumes().Add(1, 21, 2);
        ASSERT_TRUE(bindings.Save(dir / CMIDIBindings::kFileName));
    }
    const CMIDIInput* before = app->MIDIInput();
    first.reopenControllers();
    EXPECT_NE(app->MIDIInput(), before);
    EXPECT_TRUE(app->MIDIInput()->GetRecords(1, 10).empty()) << "the old binding is gone";
    EXPECT_EQ(app->MIDIInput()->GetRecords(1, 20).size(), 1u);
    EXPECT_EQ(app->MIDIInput()->GetRecords(1, 21).size(), 1u);
    EXPECT_EQ(app->MIDIInput()->GetCellCount(), 2);
}

TEST_F(VantorAppTest, ThreadedSampleButtonsFireOnTheServerWhileALinkIsInUse) {
    const std::string wave = SaveHornAsDefaultPresets();
    ASSERT_TRUE(Start());
    test::TempDir runtime{"shell-samples-run"};
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    CConfiguration config;
    config.SetDefaults();
    CServerDlg dialog(config, nullptr, nullptr);
    auto clock = std::make_shared<RealAudioClock>();
    CSampleBank serverBank{std::nullopt,
                           [clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); }};
    ASSERT_TRUE(serverBank.LoadSlot(0, "Horn", wave));
    dialog.SetSampleBank(&serverBank);
    CServerPipe pipe(&dialog, nullptr);
    ASSERT_TRUE(pipe.Listen(RuntimeDirectory::PathOf("KAVRO-shell-samples").Value()));
    ASSERT_TRUE(pipe.Start());
    app->ServerLinkInUse().Set(std::make_shared<CServerLink>("KAVRO-shell-samples"));

    // The button plays on the server; the workstation's own bank stays quiet.
    ASSERT_TRUE(app->TriggerSample(0));
    EXPECT_TRUE(test::WaitUntil([&] { return serverBank.Slot(0).IsPlaying(); }));
    EXPECT_FALSE(app->SampleBank()->Slot(0).IsPlaying());
    EXPECT_FALSE(app->TriggerSample(1)) << "an empty slot fires nowhere";
    app->ServerLinkInUse().Set(nullptr);
    pipe.Join(5);
}

TEST_F(VantorAppTest, ConnectOpensNothingWhileASetIsOpenOrTheServerIsOff) {
    ASSERT_TRUE(Start());
    app->New();
    app->Configuration().SetUseSoundServer(true);
    EXPECT_FALSE(app->Connect());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "All sets must be closed before connecting to the Sound Server.");
    EXPECT_EQ(app->Registry().GetWindows(WindowKind::MusicSet).size(), 1u);

    ASSERT_TRUE(app->CloseMainWindow());
    Restart();
    ASSERT_TRUE(Start());
    app->Configuration().SetUseSoundServer(false);
    EXPECT_FALSE(app->Connect());
    ASSERT_FALSE(ui.Messages().empty());
    EXPECT_EQ(ui.Messages().back().text, "Sound Server must be enabled in the configuration before connecting.");
    EXPECT_FALSE(app->Registry().IsOpen(WindowKind::MusicSet));
    EXPECT_FALSE(app->ServerLinkInUse().IsInUse());
    EXPECT_FALSE(app->TakeConnection());
}

}  // namespace
}  // namespace vantor
