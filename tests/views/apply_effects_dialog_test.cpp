#include "views/apply_effects_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "editing/preset_range.h"
#include "engine/effect_manager_impl.h"
#include "model/builtin_presets.h"
#include "platform/file_io.h"
#include "platform/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "views/linear_effect.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

using Strings = std::vector<std::string>;

// The effects dialog over [1 s, 3 s] of track 1, which holds one segment
// from 0 to 4 s; effects whose control runs linearly from 0 to 1.
class ApplyEffectsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        effects.RegisterEffect(new test::LinearEffect("Volume", {"Level"}));
        effects.RegisterEffect(new test::LinearEffect("Echo", {"Level", "Delay"}));
        config.SetProgramDirectory(dir.Path());
        segment = test::AddSegment(*set, 1, 0, 0, 4 * 44100);
    }
    std::string Presets() const { return dir / "EFFECTS.PST"; }
    void Open() { dialog.Open(state, 1, 44100, 3 * 44100); }
    std::vector<CurvePiece> Pieces() const {
        std::vector<CurvePiece> pieces;
        for (auto* n = dialog.GetSelectedCurve()->GetCurve().GetHead(); n; n = n->GetNext()) {
            const CEffect& e = *n->GetItem();
            pieces.push_back({e.GetStart(), e.GetEnd(), e.GetStartLevel(), e.GetEndLevel()});
        }
        return pieces;
    }
    const ScriptedUserInterface::ShownMessage& Last() const { return ui.Messages().back(); }
    // A preset "Up" of one Volume / Level profile, stored in the file.
    void StoreUp() {
        ASSERT_TRUE(dialog.AddEffect("Volume", "Level"));
        dialog.SetProfileText("Up");
        ASSERT_TRUE(dialog.AddProfile());
    }

    test::TempDir dir;
    CEffectManagerImpl effects;
    CConfiguration config;
    ScriptedUserInterface ui;
    RefPtr<CMusicSet> set = test::NewSet(2);
    SetEditorState state{set.get(), config};
    CEvent* segment = nullptr;
    CApplyEffectsDialog dialog{ui, &effects, config};
};

TEST_F(ApplyEffectsDialogTest, OpensWithTheFourShapesLinearSelectedAndNoProfile) {
    Open();
    EXPECT_EQ(dialog.GetTitle(), "Apply Effects");
    EXPECT_EQ(dialog.GetWaveformNames(), (Strings{"Flat", "Linear", "Fast Log", "Slow Log"}));
    EXPECT_EQ(dialog.GetSelectedWaveform(), 1);
    EXPECT_EQ(dialog.GetProfileNames(), (Strings{"<none>"}));
    EXPECT_EQ(dialog.GetSelectedProfile(), 0);
    EXPECT_TRUE(dialog.GetEffectLabels().empty());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(FileExists(Presets())) << "opening writes nothing";
}

TEST_F(ApplyEffectsDialogTest, EffectsTakeTheSelectedShapeConvertedToTheParametersValues) {
    Open();
    ASSERT_TRUE(dialog.AddEffect("Volume", "Level"));
    EXPECT_EQ(dialog.GetEffectLabels(), (Strings{"Volume / Level"}));
    auto linear = Pieces();
    ASSERT_EQ(linear.size(), 1u);
    EXPECT_EQ(linear[0].from, 0.0);
    EXPECT_EQ(linear[0].to, 0.5);
    // The same pair without regard to case is selected, not added again.
    ASSERT_TRUE(dialog.AddEffect("Echo", "Delay"));
    ASSERT_TRUE(dialog.AddEffect("volume", "LEVEL"));
    EXPECT_EQ(dialog.GetEffectLabels(), (Strings{"Volume / Level", "Echo / Delay"}));
    EXPECT_EQ(dialog.GetSelectedEffect(), 0);
    EXPECT_FALSE(dialog.AddEffect("Flanger", "Depth"));
    EXPECT_FALSE(dialog.AddEffect("Volume", "Depth"));

    dialog.ChooseWaveform("Flat");
    EXPECT_EQ(Pieces()[0].from, 0.5);
    dialog.ChooseWaveform("Fast Log");
    auto fast = Pieces();
    ASSERT_EQ(fast.size(), 9u);
    EXPECT_DOUBLE_EQ(fast[0].to, 0.29);  // trunc(0.2984 x 100) steps of the control
    // Reversing "Linear" gives one piece 0..9999 from 0.5 down to 0.
    dialog.ChooseWaveform("Linear");
    dialog.Reverse();
    auto reversed = Pieces();
    ASSERT_EQ(reversed.size(), 1u);
    EXPECT_EQ(reversed[0].start, 0);
    EXPECT_EQ(reversed[0].end, 9999);
    EXPECT_EQ(reversed[0].from, 0.5);
    EXPECT_EQ(reversed[0].to, 0.0);
    // Reversed pieces come in the order of their new starts.
    dialog.ChooseWaveform("Fast Log");
    dialog.Reverse();
    auto back = Pieces();
    EXPECT_EQ(back[0].start, 0);
    EXPECT_EQ(back[0].end, 9999 - 8888);
    EXPECT_EQ(back[0].from, 0.5);
    EXPECT_EQ(back[8].end, 9999);
    EXPECT_EQ(back[8].to, 0.0);

    // The preview: where the selected curve lands on [1 s, 3 s].
    dialog.ChooseWaveform("Linear");
    auto preview = dialog.GetPreview();
    ASSERT_EQ(preview.size(), 1u);
    EXPECT_EQ(preview[0].start, 44100);
    EXPECT_EQ(preview[0].end, 44100 + 88191);  // trunc(88200 x 0.0001 x 9999)
    EXPECT_EQ(preview[0].from, "0.00");
    EXPECT_EQ(preview[0].to, "0.50");
    dialog.RemoveEffect();
    EXPECT_EQ(dialog.GetEffectLabels(), (Strings{"Echo / Delay"}));
}

TEST_F(ApplyEffectsDialogTest, WithNothingSelectedAddReverseAndShapesChangeNothing) {
    Open();
    dialog.Reverse();
    dialog.ChooseWaveform("Flat");
    EXPECT_EQ(dialog.GetSelectedWaveform(), 0);
    dialog.SetWaveformText("Mine");
    EXPECT_FALSE(dialog.AddWaveform());
    EXPECT_FALSE(dialog.SetPoints({{0, 0.1}, {9999, 0.2}}));
    EXPECT_TRUE(dialog.GetEffectLabels().empty());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(FileExists(Presets()));
    dialog.RemoveEffect();
    EXPECT_FALSE(dialog.RemoveProfile()) << "\"<none>\" cannot be removed";
    EXPECT_FALSE(dialog.RemoveWaveform()) << "the built-in shapes are never stored";
}

TEST_F(ApplyEffectsDialogTest, CurvesEditedByHandStayOnTheScaleAndInTheParametersRange) {
    Open();
    ASSERT_TRUE(dialog.AddEffect("Volume", "Level"));
    EXPECT_FALSE(dialog.SetPoints({{0, 0.5}}));
    EXPECT_FALSE(dialog.SetPoints({{0, 0.5}, {0, 0.6}}));
    EXPECT_FALSE(dialog.SetPoints({{0, 0.5}, {10000, 0.6}}));
    EXPECT_FALSE(dialog.SetPoints({{-1, 0.5}, {9999, 0.6}}));
    auto outside = dialog.SetPoints({{0, 0.5}, {9999, 1.5}});
    ASSERT_FALSE(outside);
    EXPECT_EQ(outside.Error().text, "Volume Level takes values from 0 to 1, not 1.5.");
    ASSERT_TRUE(dialog.SetPoints({{0, 0.0}, {5000, 1.0}, {9999, 0.25}}));
    auto pieces = Pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].end, 4999);
    EXPECT_EQ(pieces[1].start, 5000);
    EXPECT_EQ(pieces[1].end, 9999);
    EXPECT_EQ(pieces[1].to, 0.25);
}

TEST_F(ApplyEffectsDialogTest, WaveformsAreAddedReplacedAndRemovedAndTheFileKeepsOnlyTheUsersOwn) {
    Open();
    ASSERT_TRUE(dialog.AddEffect("Volume", "Level"));
    for (const char* name : {"", "Linear", "Fast Log", "Slow Log", "Flat"}) {
        dialog.SetWaveformText(name);
        EXPECT_FALSE(dialog.AddWaveform()) << name;
        EXPECT_EQ(Last().text, "You must specify a new name for the waveform.");
        EXPECT_EQ(Last().caption, "Add Waveform");
        EXPECT_EQ(Last().icon, MessageIcon::Error);
    }
    EXPECT_FALSE(FileExists(Presets()));
    ASSERT_TRUE(dialog.SetPoints({{0, 0.2}, {9999, 0.8}}));
    dialog.SetWaveformText("Ramp");
    ASSERT_TRUE(dialog.AddWaveform());
    EXPECT_EQ(dialog.GetWaveformNames().back(), "Ramp");
    EXPECT_EQ(dialog.GetSelectedWaveform(), 4);
    EffectPresets stored = ReadEffectPresets(Presets());
    ASSERT_EQ(stored.waveforms->GetCount(), 1);
    const CEffect& shape = *stored.waveforms->GetAt(0)->GetProfile().GetCurve().GetHead()->GetItem();
    EXPECT_DOUBLE_EQ(shape.GetStartLevel(), 0.2);  // fractions of the control
    EXPECT_DOUBLE_EQ(shape.GetEndLevel(), 0.8);

    // Replacing asks; No keeps the old one.
    ASSERT_TRUE(dialog.SetPoints({{0, 0.9}, {9999, 0.1}}));
    const std::vector<uint8_t> before = *ReadWholeFile(Presets());
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(dialog.AddWaveform());
    EXPECT_EQ(Last().text, "Replace existing waveform?");
    EXPECT_EQ(Last().caption, "Add Waveform");
    EXPECT_EQ(Last().buttons, MessageButtons::YesNo);
    EXPECT_EQ(*ReadWholeFile(Presets()), before);
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(dialog.AddWaveform());
    EXPECT_EQ(dialog.GetWaveformNames().size(), 5u);
    EXPECT_NE(*ReadWholeFile(Presets()), before);

    // A second opening finds it after the built-in shapes.
    CApplyEffectsDialog again(ui, &effects, config);
    again.Open(state, 1, 44100, 3 * 44100);
    EXPECT_EQ(again.GetWaveformNames(), (Strings{"Flat", "Linear", "Fast Log", "Slow Log", "Ramp"}));
    ASSERT_TRUE(again.ChooseWaveform("Ramp"));
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(again.RemoveWaveform());
    EXPECT_EQ(Last().text, "Are you sure?");
    EXPECT_EQ(Last().caption, "Remove Waveform");
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(again.RemoveWaveform());
    EXPECT_EQ(again.GetWaveformNames().size(), 4u);
    EXPECT_EQ(ReadEffectPresets(Presets()).waveforms->GetCount(), 0);
}

TEST_F(ApplyEffectsDialogTest, ProfilesAreNamedTheWizardsFadesWarnedAboutAndNeverRemoved) {
    Open();
    ASSERT_TRUE(dialog.AddEffect("Volume", "Level"));
    for (const char* name : {"", "<none>"}) {
        dialog.SetProfileText(name);
        EXPECT_FALSE(dialog.AddProfile());
        EXPECT_EQ(Last().text, "You must specify a name for the profile.");
        EXPECT_EQ(Last().caption, "Add Profile");
        EXPECT_EQ(Last().icon, MessageIcon::Error);
    }
    const std::string warning =
        "This preset is used to fade between songs by the mixing wizard.\nModifying this preset can cause improper "
        "mixing. Do you wish to continue?";
    dialog.SetProfileText("Hold 1");
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(dialog.AddProfile());
    EXPECT_EQ(Last().text, warning);
    EXPECT_EQ(Last().caption, "Modify Profile");
    EXPECT_FALSE(FileExists(Presets()));
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(dialog.AddProfile());
    EXPECT_EQ(dialog.GetProfileNames(), (Strings{"<none>", "Hold 1"}));
    EXPECT_EQ(dialog.GetSelectedProfile(), 1);
    // Replaced after the warning and the replace question.
    ASSERT_TRUE(dialog.AddEffect("Echo", "Delay"));
    ui.QueueAnswer(MessageAnswer::Yes);
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(dialog.AddProfile());
    EXPECT_EQ(Last().text, "Replace existing profile?");
    EXPECT_EQ(Last().caption, "Add Profile");
    EffectPresets stored = ReadEffectPresets(Presets());
    ASSERT_NE(stored.FindProfile("Hold 1"), nullptr);
    EXPECT_EQ(stored.FindProfile("Hold 1")->GetEffectProfiles().GetCount(), 2);
    EXPECT_EQ(stored.profiles->GetCount(), 1);

    // Not removed: the wizard needs it.
    const size_t shown = ui.Messages().size();
    EXPECT_FALSE(dialog.RemoveProfile());
    ASSERT_EQ(ui.Messages().size(), shown + 1);
    EXPECT_EQ(Last().text,
              "This preset can not be removed as it is used by the mixing wizard\nto determine how to fade between "
              "songs.");
    EXPECT_EQ(Last().caption, "Remove Effect Profile");
    EXPECT_EQ(Last().icon, MessageIcon::Error);

    // Another profile: chosen, its effects are copies; removal asks first.
    dialog.SetProfileText("Mine");
    ASSERT_TRUE(dialog.AddProfile());
    ASSERT_TRUE(dialog.ChooseProfile("Hold 1"));
    EXPECT_EQ(dialog.GetEffectLabels(), (Strings{"Volume / Level", "Echo / Delay"}));
    EXPECT_EQ(dialog.GetSelectedEffect(), 0);
    EXPECT_EQ(dialog.GetProfileText(), "Hold 1");
    ASSERT_TRUE(dialog.ChooseProfile("Mine"));
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(dialog.RemoveProfile());
    EXPECT_EQ(Last().text, "Are you sure?");
    EXPECT_EQ(Last().caption, "Remove Profile");
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(dialog.RemoveProfile());
    EXPECT_EQ(dialog.GetProfileNames(), (Strings{"<none>", "Hold 1"}));
    EXPECT_EQ(ReadEffectPresets(Presets()).profiles->GetCount(), 1);
}

TEST_F(ApplyEffectsDialogTest, ADamagedFileIsReportedKeptBesideAndOnlyThenRewritten) {
    EffectPresets presets;
    for (const auto& fade : BuiltInPresets::ReservedFades()) presets.profiles->Add(fade.get());
    std::vector<uint8_t> bytes = EffectPresetsToBytes(presets);
    bytes.resize(bytes.size() - 20);
    ASSERT_TRUE(WriteFileReplacing(Presets(), bytes.data(), bytes.size()));
    Open();
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(Last().text.find("is damaged"), std::string::npos) << Last().text;
    EXPECT_EQ(Last().caption, "Apply Effects");
    EXPECT_EQ(Last().icon, MessageIcon::Exclamation);
    const size_t listed = dialog.GetProfileNames().size() - 1;
    EXPECT_GE(listed, 3u) << "the presets read before the cut are listed";
    EXPECT_EQ(*ReadWholeFile(Presets()), bytes) << "opening leaves the file alone";

    StoreUp();
    EXPECT_EQ(*ReadWholeFile(Presets() + ".damaged"), bytes);
    EXPECT_NE(Last().text.find("kept as " + Presets() + ".damaged"), std::string::npos) << Last().text;
    EffectPresets rewritten = ReadEffectPresets(Presets());
    EXPECT_TRUE(rewritten.clean);
    EXPECT_EQ(rewritten.profiles->GetCount(), static_cast<int32_t>(listed) + 1);
}

TEST_F(ApplyEffectsDialogTest, PresetButtonsStoreTheProfileNameInTheConfiguration) {
    Open();
    EXPECT_EQ(dialog.GetQuickPresetCaption(0), "Preset 1");
    dialog.SetProfileText("Hold 2");
    ASSERT_TRUE(dialog.StoreQuickPreset(2));
    EXPECT_STREQ(config.GetEffectPresetName(2), "Hold 2");
    EXPECT_EQ(dialog.GetQuickPresetCaption(2), "Hold 2");
    EXPECT_EQ(dialog.GetQuickPresetCaption(5), "Preset 6");
    EXPECT_FALSE(dialog.StoreQuickPreset(6));
    CConfiguration read;
    ASSERT_EQ(read.Load(dir / "Vantor.cfg"), CConfiguration::FileState::Loaded);
    EXPECT_STREQ(read.GetEffectPresetName(2), "Hold 2");
}

TEST_F(ApplyEffectsDialogTest, OkAppliesEveryEffectOverTheRangeInOneGroupAndCancelNothing) {
    const std::vector<uint8_t> original = test::Bytes(*set);
    Open();
    ASSERT_TRUE(dialog.AddEffect("Volume", "Level"));
    ASSERT_TRUE(dialog.AddEffect("Echo", "Delay"));
    dialog.Cancel();
    EXPECT_EQ(test::Bytes(*set), original);

    Open();
    ASSERT_TRUE(dialog.AddEffect("Volume", "Level"));
    ASSERT_TRUE(dialog.AddEffect("Echo", "Delay"));
    auto applied = dialog.Ok();
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied.Value(), 1);
    EXPECT_FALSE(dialog.IsOpen());
    auto& profiles = segment->GetSegment()->GetEffectProfiles();
    ASSERT_EQ(profiles.GetCount(), 2);
    const CEffect& piece = *profiles.GetAt(0)->GetCurve().GetHead()->GetItem();
    EXPECT_EQ(piece.GetStart(), 44100);
    EXPECT_EQ(piece.GetEnd(), 44100 + 88191);
    // One group: one Undo takes both effects back.
    int records = 0;
    for (int32_t i = 0; i < state.GetHistory().GetRecords().GetCount(); ++i)
        if (state.GetHistory().GetRecords().GetAt(i)->GetKind() == CSetHistory::CSetOperationInfo::kGroupEnd) ++records;
    EXPECT_EQ(records, 1);
}

// Add Effect and the quick preset commands of the set editor.
class EffectCommandsTest : public ApplyEffectsDialogTest {
protected:
    void SetUp() override {
        ApplyEffectsDialogTest::SetUp();
        view.SetApplyEffects(&effects, &config, [this](CApplyEffectsDialog& opened) {
            ++runs;
            opened.AddEffect("Volume", "Level");
            return accept;
        });
    }
    CMusicSetView view{ui, nullptr, set.get(), "/sets/a.set", config, 1.0, 3.0};
    int runs = 0;
    bool accept = true;
};

TEST_F(EffectCommandsTest, AddEffectChecksTheTrackAndMarkersThenOpensTheDialog) {
    EXPECT_FALSE(view.AddEffect());
    EXPECT_EQ(Last().text, "Select the the track to use when adding the effect.");
    EXPECT_EQ(Last().caption, "Add Effect");
    view.GetState().SetSelectedTrack(1);
    view.GetState().SetLeftMarker(3.0);
    view.GetState().SetRightMarker(1.0);
    EXPECT_FALSE(view.AddEffect());
    EXPECT_EQ(Last().text,
              "Place the left marker at the point to start the effect,\nand the right marker at the point to stop the "
              "effect.");
    EXPECT_EQ(runs, 0);
    view.GetState().SetLeftMarker(1.0);
    view.GetState().SetRightMarker(3.0);
    accept = false;
    EXPECT_FALSE(view.AddEffect());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(segment->GetSegment()->GetEffectProfiles().GetCount(), 0);
    accept = true;
    ASSERT_TRUE(view.AddEffect());
    EXPECT_EQ(segment->GetSegment()->GetEffectProfiles().GetCount(), 1);
    EXPECT_TRUE(view.TakeRepaintRows().count(1));
    ASSERT_TRUE(view.Undo());
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetEffectProfiles().GetCount(), 0);
}

TEST_F(EffectCommandsTest, QuickPresetsApplyTheNamedPresetOnlyWhenTheSlotHoldsOne) {
    view.GetState().SetSelectedTrack(1);
    for (int slot = 0; slot < 6; ++slot) EXPECT_FALSE(view.IsQuickPresetEnabled(slot));
    EXPECT_FALSE(view.QuickPreset(0));
    dialog.OpenPresets();
    StoreUp();
    dialog.SetProfileText("Up");
    ASSERT_TRUE(dialog.StoreQuickPreset(0));
    dialog.SetProfileText("Gone");
    ASSERT_TRUE(dialog.StoreQuickPreset(1));
    EXPECT_TRUE(view.IsQuickPresetEnabled(0));
    ui.ClearLog();
    EXPECT_FALSE(view.QuickPreset(1)) << "a name not among the presets applies nothing";
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(view.CanUndo());
    ASSERT_TRUE(view.QuickPreset(0));
    ASSERT_EQ(segment->GetSegment()->GetEffectProfiles().GetCount(), 1);
    const CEffect& piece = *segment->GetSegment()->GetEffectProfiles().GetAt(0)->GetCurve().GetHead()->GetItem();
    EXPECT_EQ(piece.GetStart(), 44100);
    EXPECT_EQ(piece.GetEndLevel(), 0.5);
    // The checks of Add Effect hold for the quick presets too.
    view.GetState().SetSelectedTrack(0);
    EXPECT_FALSE(view.QuickPreset(0));
    EXPECT_EQ(Last().text, "Select the the track to use when adding the effect.");
    view.GetState().SetSelectedTrack(1);
    EXPECT_FALSE(view.ApplyEffectPreset("Nothing by that name"));
}

}  // namespace
}  // namespace vantor
