#include <gtest/gtest.h>

#include <filesystem>

#include "platform/scripted_user_interface.h"
#include "views/configuration_dialog.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

class ConfigurationDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("cfgdlg_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        config.SetProgramDirectory(dir.string());
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    CConfiguration config;
    ScriptedUserInterface ui;
};

TEST_F(ConfigurationDialogTest, TrackCountOutsideOneToTwelveIsRefusedAndNothingStored) {
    for (int64_t tracks : {0, 13, -1}) {
        CConfigurationDialog dialog(config, ui);
        dialog.GetValues().numberOfTracks = tracks;
        dialog.GetValues().waveDirectory = "/elsewhere";
        EXPECT_FALSE(dialog.OnOK());
        EXPECT_EQ(ui.Messages().back().text, "Number of Tracks must be between 1 and 12.");
        EXPECT_EQ(ui.Messages().back().caption, "Configuration");
        EXPECT_EQ(ui.Messages().back().icon, MessageIcon::Error);
    }
    EXPECT_STREQ(config.GetWaveDirectory(), ".");
    EXPECT_FALSE(fs::exists(dir / "Vantor.cfg"));

    CConfigurationDialog dialog(config, ui);
    dialog.GetValues().numberOfTracks = 12;
    EXPECT_TRUE(dialog.OnOK());
    EXPECT_EQ(config.GetNumberOfTracks(), 12);
    CConfiguration saved;
    ASSERT_EQ(saved.Load((dir / "Vantor.cfg").string()), CConfiguration::FileState::Loaded);
    EXPECT_EQ(saved.GetNumberOfTracks(), 12);
}

TEST_F(ConfigurationDialogTest, ControlsShowTheConfigurationAndStoreTheirTexts) {
    config.SetReferencePoint(0.7);
    CConfigurationDialog dialog(config, ui);
    EXPECT_EQ(dialog.GetValues().referencePoint, "0.70000");
    EXPECT_EQ(dialog.GetValues().maxLatestTitles, "60");
    dialog.GetValues().referencePoint = "0.55";
    dialog.GetValues().maxLatestTitles = "25";
    dialog.GetValues().hidePrivateMusic = true;
    int32_t latestMaximum = -1;
    CConfigurationDialog::Hooks hooks;
    hooks.setLatestTitlesMaximum = [&](int32_t m) { latestMaximum = m; };
    CConfigurationDialog withHooks(config, ui, hooks);
    withHooks.GetValues() = dialog.GetValues();
    EXPECT_TRUE(withHooks.OnOK());
    EXPECT_EQ(config.GetReferencePoint(), 0.55);
    EXPECT_EQ(config.GetMaxLatestTitles(), 25);
    EXPECT_EQ(latestMaximum, 25);
    EXPECT_TRUE(config.GetHidePrivateMusic());
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ConfigurationDialogTest, SoundServerAndMidiSettingsWaitForSetsToClose) {
    bool editorOpen = true;
    int midiReplaced = 0;
    CConfigurationDialog::Hooks hooks;
    hooks.anySetEditorOpen = [&] { return editorOpen; };
    hooks.replaceMidiInput = [&] { ++midiReplaced; };

    CConfigurationDialog dialog(config, ui, hooks);
    dialog.GetValues().useSoundServer = true;
    dialog.GetValues().midiInputDevice = 2;
    EXPECT_TRUE(dialog.OnOK());
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].text, "All sets must be closed before changing any Sound Server settings.");
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui.Messages()[1].text, "All sets must be closed before changing any MIDI Controller settings.");
    EXPECT_FALSE(config.GetUseSoundServer());
    EXPECT_EQ(config.GetMidiInputDevice(), 0);
    EXPECT_EQ(midiReplaced, 0);

    editorOpen = false;
    CConfigurationDialog again(config, ui, hooks);
    again.GetValues().useSoundServer = true;
    again.GetValues().midiInputDevice = 2;
    EXPECT_TRUE(again.OnOK());
    EXPECT_TRUE(config.GetUseSoundServer());
    EXPECT_EQ(config.GetMidiInputDevice(), 2);
    EXPECT_EQ(midiReplaced, 1);
}

TEST_F(ConfigurationDialogTest, ANewEffectsDirectoryNeedsARestartAndIsSaved) {
    CConfigurationDialog same(config, ui);
    EXPECT_TRUE(same.OnOK());
    EXPECT_TRUE(ui.Messages().empty());

    CConfigurationDialog dialog(config, ui);
    dialog.GetValues().effectsDirectory = "/opt/effects";
    EXPECT_TRUE(dialog.OnOK());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Program must be restarted to load new effects.");
    EXPECT_EQ(ui.Messages()[0].caption, "Change Effects Directory");
    CConfiguration saved;
    ASSERT_EQ(saved.Load((dir / "Vantor.cfg").string()), CConfiguration::FileState::Loaded);
    EXPECT_STREQ(saved.GetEffectsDirectory(), "/opt/effects");

    // Compared without regard to case: no message for a change of case only.
    CConfigurationDialog caseOnly(config, ui);
    caseOnly.GetValues().effectsDirectory = "/OPT/effects";
    EXPECT_TRUE(caseOnly.OnOK());
    EXPECT_EQ(ui.Messages().size(), 1u);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

TEST(ConfigurationMidiInputs, DeviceNumbersCountPortsFromOneAndAMissingDeviceKeepsItsEntry) {
    using Choices = std::vector<CConfigurationDialog::MidiChoice>;
    auto devices = [](const Choices& choices) {
        std::vector<int32_t> numbers;
        for (const auto& choice : choices) numbers.push_back(choice.device);
        return numbers;
    };
    const Choices present = CConfigurationDialog::ListMidiInputs({"Pad Controller", "Faders"}, 2);
    EXPECT_EQ(devices(present), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(present[0].text, "None");
    EXPECT_EQ(present[2].text, "2: Faders");
    // Unplugged since it was chosen: still offered, as one entry whatever
    // its number.
    const Choices missing = CConfigurationDialog::ListMidiInputs({}, 2000000000);
    EXPECT_EQ(devices(missing), (std::vector<int32_t>{0, 2000000000}));
    EXPECT_EQ(missing[1].text, "2000000000: (not present)");
    EXPECT_EQ(devices(CConfigurationDialog::ListMidiInputs({"A"}, -3)), (std::vector<int32_t>{0, 1}));
}

}  // namespace
}  // namespace vantor
