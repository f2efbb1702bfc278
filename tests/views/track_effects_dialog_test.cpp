#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/editing_fixtures.h"
#include "engine/effect_manager_impl.h"
#include "platform/scripted_user_interface.h"
#include "views/linear_effect.h"
#include "views/track_effects_dialog.h"

namespace vantor {
namespace {

class TrackEffectsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        effects.RegisterEffect(new test::LinearEffect("Volume", {"Level"}));
        effects.RegisterEffect(new test::LinearEffect("Echo", {"Level", "Delay"}));
    }
    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (const auto& row : dialog.GetRows()) labels.push_back(row.label);
        return labels;
    }
    std::vector<std::string> TrackLabels() const {
        std::vector<std::string> labels;
        auto& profiles = set->GetTrack(1)->GetTrackEffects();
        for (int i = 0; i < profiles.GetCount(); ++i)
            labels.push_back(std::string(profiles.GetAt(i)->GetEffectName()) + "/" + profiles.GetAt(i)->GetParameterName());
        return labels;
    }

    CEffectManagerImpl effects;
    ScriptedUserInterface ui;
    RefPtr<CMusicSet> set = test::NewSet(1);
    CTrackEffectsDialog dialog{ui, &effects};
};

TEST_F(TrackEffectsDialogTest, AddingAParameterTwiceIsRefusedAnotherEffectsIsAccepted) {
    ASSERT_TRUE(dialog.Open(set->GetTrack(1)));
    ASSERT_TRUE(dialog.Add("Volume", "Level"));
    EXPECT_EQ(dialog.GetSelectedRow(), 0);
    EXPECT_EQ(dialog.GetSliderPosition(), 25);
    EXPECT_EQ(dialog.GetValueText(), "0.50");
    EXPECT_FALSE(dialog.Add("volume", "LEVEL"));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "That effect has already been added to this track.");
    EXPECT_EQ(ui.Messages()[0].caption, "Add Effect");
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(dialog.Add("Echo", "Level"));
    EXPECT_FALSE(dialog.Add("Flanger", "Depth"));  // no plug-in has it: discarded
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Volume/Level", "Echo/Level"}));
    EXPECT_EQ(dialog.GetSelectedRow(), 1);
    auto choices = dialog.GetEffectChoices();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].first, "Echo");
    EXPECT_EQ(choices[0].second, (std::vector<std::string>{"Level", "Delay"}));
}

TEST_F(TrackEffectsDialogTest, TheSliderHasFiftyStepsAndStopsAtItsEnds) {
    ASSERT_TRUE(dialog.Open(set->GetTrack(1)));
    ASSERT_TRUE(dialog.Add("Volume", "Level"));
    dialog.MoveSlider(-30);
    EXPECT_EQ(dialog.GetSliderPosition(), 0);
    EXPECT_EQ(dialog.GetValue(), 1.0);
    EXPECT_EQ(dialog.GetValueText(), "1.00");
    dialog.MoveSlider(60);
    EXPECT_EQ(dialog.GetSliderPosition(), 50);
    EXPECT_EQ(dialog.GetValue(), 0.0);
    dialog.MoveSlider(-10);
    EXPECT_DOUBLE_EQ(dialog.GetValue(), 0.2);
    dialog.Ok();
    ASSERT_EQ(set->GetTrack(1)->GetTrackEffects().GetCount(), 1);
    const CEffect* piece = set->GetTrack(1)->GetTrackEffects().GetAt(0)->GetCurve().GetHead()->GetItem();
    EXPECT_DOUBLE_EQ(piece->GetStartLevel(), 0.2);
    EXPECT_EQ(piece->GetStart(), 0);
    EXPECT_TRUE(set->IsModified());
    EXPECT_FALSE(dialog.IsOpen());
}

TEST_F(TrackEffectsDialogTest, RemovingTheOnlyRowLeavesNothingSelected) {
    ASSERT_TRUE(dialog.Open(set->GetTrack(1)));
    dialog.Remove();  // nothing to remove
    ASSERT_TRUE(dialog.Add("Volume", "Level"));
    dialog.Remove();
    EXPECT_TRUE(dialog.GetRows().empty());
    EXPECT_EQ(dialog.GetSelectedRow(), -1);
    EXPECT_FALSE(dialog.IsSliderEnabled());
    ASSERT_TRUE(dialog.Add("Volume", "Level"));
    ASSERT_TRUE(dialog.Add("Echo", "Level"));
    ASSERT_TRUE(dialog.Add("Echo", "Delay"));
    dialog.SelectRow(0);
    dialog.Remove();
    EXPECT_EQ(dialog.GetSelectedRow(), 0);  // the first, there being none before
    dialog.SelectRow(1);
    dialog.Remove();
    EXPECT_EQ(Labels(), std::vector<std::string>{"Echo/Level"});
    EXPECT_EQ(dialog.GetSelectedRow(), 0);
}

TEST_F(TrackEffectsDialogTest, CancelLeavesTheTrackAsItWas) {
    set->GetTrack(1)->GetTrackEffects().Add(MakeRef<CEffectProfile>().get());
    CEffectProfile& volume = *set->GetTrack(1)->GetTrackEffects().GetAt(0);
    volume.SetEffectName("Volume");
    volume.SetParameterName("Level");
    volume.AddPiece(0, 0, 0.8, 0.8);
    auto before = test::Bytes(*set);
    ASSERT_TRUE(dialog.Open(set->GetTrack(1)));
    EXPECT_EQ(dialog.GetSliderPosition(), 10);
    dialog.MoveSlider(20);  // edits the dialog's copy
    ASSERT_TRUE(dialog.Add("Echo", "Delay"));
    dialog.SelectRow(0);
    dialog.Remove();
    dialog.Cancel();
    EXPECT_EQ(test::Bytes(*set), before);
    EXPECT_EQ(TrackLabels(), std::vector<std::string>{"Volume/Level"});
}

TEST_F(TrackEffectsDialogTest, AnUnregisteredEffectKeepsItsRowWithTheSliderDisabled) {
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName("Flanger");
    profile->SetParameterName("Depth");
    profile->AddPiece(0, 0, 0.3, 0.3);
    set->GetTrack(1)->GetTrackEffects().Add(profile.get());
    ASSERT_TRUE(dialog.Open(set->GetTrack(1)));
    ASSERT_EQ(Labels(), std::vector<std::string>{"Flanger/Depth"});
    EXPECT_FALSE(dialog.IsSliderEnabled());
    EXPECT_EQ(dialog.GetValueText(), "0.3");
    dialog.MoveSlider(5);
    EXPECT_EQ(dialog.GetValue(), 0.3);
    ASSERT_TRUE(dialog.Add("Volume", "Level"));
    dialog.Ok();
    EXPECT_EQ(TrackLabels(), (std::vector<std::string>{"Flanger/Depth", "Volume/Level"}));
}

}  // namespace
}  // namespace vantor
