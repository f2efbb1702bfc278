#include "views/sample_database_view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "editing/editing_fixtures.h"
#include "engine/wave_writer.h"
#include "platform/null_audio_device.h"
#include "platform/runtime_directory.h"
#include "platform/scripted_user_interface.h"
#include "server/server_dlg.h"
#include "server/server_pipe.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

AudioDeviceOpener NullOpener() {
    auto clock = std::make_shared<RealAudioClock>();
    return [clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); };
}

class SampleDatabaseViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.SetDefaults();
        config.SetProgramDirectory(dir.Path() + "/");
        horn = AddSample("Horn");
        kick = AddSample("Kick");
        view.SetSlotNameListener([this](int slot, const std::string& name) { told.emplace_back(slot, name); });
        view.Refresh();
    }
    std::string AddSample(const std::string& name) {
        const std::string path = dir / (name + ".wav");
        std::vector<int16_t> pcm(2 * 441, 500);
        WaveWriter writer;
        EXPECT_TRUE(writer.Open(path, WaveFormat{}));
        EXPECT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
        EXPECT_TRUE(writer.Finish(441));
        CSongProfile profile;
        profile.SetLocalPath(path);
        profile.SetTitle(name);
        EXPECT_TRUE(library.Database().PutSample(profile));
        return path;
    }
    int Row(const std::string& name) {
        const auto& samples = view.GetSamples();
        for (size_t i = 0; i < samples.size(); ++i)
            if (samples[i].name == name) return static_cast<int>(i);
        return -1;
    }

    test::TempDir dir{"sample-view"};
    test::SongLibrary library;
    CConfiguration config;
    ScriptedUserInterface ui;
    CSampleBank bank{std::nullopt, NullOpener()};
    LinkInUse slot;
    CSampleDatabaseView view{ui, &library.Database(), bank, slot, config};
    std::string horn, kick;
    std::vector<std::pair<int, std::string>> told;
};

TEST_F(SampleDatabaseViewTest, PresetButtonsFillTheTriggerSlotsAndTheirLabels) {
    ASSERT_EQ(view.GetSamples().size(), 2u);
    EXPECT_EQ(view.GetSamples()[static_cast<size_t>(Row("Kick"))].path, kick);
    EXPECT_FALSE(view.AssignPreset(1));  // nothing selected
    EXPECT_FALSE(view.Select(2));
    ASSERT_TRUE(view.Select(Row("Kick")));
    ASSERT_TRUE(view.AssignPreset(3));
    EXPECT_EQ(bank.GetSlotName(2), "Kick");
    EXPECT_EQ(bank.GetSlotFileName(2), kick);
    EXPECT_EQ(view.GetSlotLabels()[2], "Kick");
    EXPECT_EQ(told, (std::vector<std::pair<int, std::string>>{{2, "Kick"}}));
    EXPECT_FALSE(view.AssignPreset(0));
    EXPECT_FALSE(view.AssignPreset(9));  // the preview slot has no button
    EXPECT_EQ(bank.GetSlotName(8), "");

    ASSERT_TRUE(view.Select(Row("Horn")));
    ASSERT_TRUE(view.Play());
    EXPECT_EQ(bank.GetSlotName(8), "Horn");
    EXPECT_EQ(view.GetSlotLabels()[2], "Kick");
}

TEST_F(SampleDatabaseViewTest, SaveAppendsTheExtensionAndLoadFillsTheBank) {
    EXPECT_EQ(CSampleDatabaseView::WithPresetExtension("/x/live"), "/x/live.sp");
    EXPECT_EQ(CSampleDatabaseView::WithPresetExtension("/x/live.SP"), "/x/live.SP");
    EXPECT_EQ(CSampleDatabaseView::WithPresetExtension("/x/live.mix"), "/x/live.mix.sp");
    EXPECT_EQ(CSampleDatabaseView::WithPresetExtension("/x.d/live"), "/x.d/live.sp");

    ASSERT_TRUE(view.Select(Row("Horn")));
    ASSERT_TRUE(view.AssignPreset(1));
    ui.QueueSaveFile(dir / "live");
    ASSERT_TRUE(view.Save());
    EXPECT_TRUE(fs::exists(dir / "live.sp"));
    ASSERT_EQ(ui.FileChoices().size(), 1u);
    EXPECT_EQ(ui.FileChoices()[0].title, "Save presets");
    EXPECT_EQ(ui.FileChoices()[0].defaultExtension, ".sp");
    EXPECT_EQ(ui.FileChoices()[0].filter, "sound presets (*.sp)|*.sp|all files (*.*)|*.*||");
    ui.QueueSaveFile(std::nullopt);
    EXPECT_FALSE(view.Save());  // cancelled

    CSampleBank other{std::nullopt, NullOpener()};
    CSampleDatabaseView second{ui, &library.Database(), other, slot, config};
    ui.QueueOpenFiles({dir / "live.sp"});
    ASSERT_TRUE(second.Load());
    EXPECT_EQ(ui.FileChoices().back().title, "Load presets");
    EXPECT_EQ(other.GetSlotName(0), "Horn");
    EXPECT_EQ(second.GetSlotLabels()[0], "Horn");

    ASSERT_TRUE(view.SaveDefault());
    EXPECT_TRUE(fs::exists(dir / "DEFAULT.SP"));
    CSampleBank third{std::nullopt, NullOpener()};
    CSampleDatabaseView defaults{ui, &library.Database(), third, slot, config};
    ASSERT_TRUE(defaults.LoadDefault());
    EXPECT_EQ(defaults.GetSlotLabels()[0], "Horn");
}

TEST_F(SampleDatabaseViewTest, ThreadedWithALinkTheServerGetsTheSlotsAndNamesTheLabels) {
    test::TempDir runtime{"sample-view-run"};
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    CServerDlg dialog(config, nullptr, nullptr);
    CSampleBank serverBank{std::nullopt, NullOpener()};
    dialog.SetSampleBank(&serverBank);
    CServerPipe pipe(&dialog, nullptr);
    ASSERT_TRUE(pipe.Listen(RuntimeDirectory::PathOf("KAVRO-samples").Value()));
    ASSERT_TRUE(pipe.Start());
    slot.Set(std::make_shared<CServerLink>("KAVRO-samples"));

    ASSERT_TRUE(view.Select(Row("Kick")));
    ASSERT_TRUE(view.AssignPreset(2));
    // Both banks hold it; the label is the server's name.
    EXPECT_EQ(bank.GetSlotName(1), "Kick");
    EXPECT_EQ(serverBank.GetSlotName(1), "Kick");
    EXPECT_EQ(view.GetSlotLabels()[1], "Kick");

    // Play previews on the server only.
    ASSERT_TRUE(view.Select(Row("Horn")));
    ASSERT_TRUE(view.Play());
    EXPECT_TRUE(test::WaitUntil([&] { return serverBank.GetSlotName(8) == "Horn"; }));
    EXPECT_EQ(bank.GetSlotName(8), "");

    // Save writes the server's bank.
    ASSERT_TRUE(view.SaveDefault());
    slot.Get()->GetSampleCount();  // served in order: the file is written
    CSampleBank check{std::nullopt, NullOpener()};
    ASSERT_TRUE(check.LoadPresets(dir / "DEFAULT.SP"));
    EXPECT_EQ(check.GetSlotName(8), "Horn");
    EXPECT_EQ(check.GetSlotName(1), "Kick");
    slot.Set(nullptr);
    pipe.Join(5);
}

}  // namespace
}  // namespace vantor
