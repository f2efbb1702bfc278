#include <gtest/gtest.h>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "editing/history_group.h"
#include "editing/segment_drop.h"
#include "editing/set_check.h"
#include "editing/set_edit_commands.h"
#include "engine/summary_builder.h"
#include "engine/wave_summary_file.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::Bytes;
using test::Positions;

class SegmentDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ClearClipboard();
    }
    void TearDown() override { test::ClearClipboard(); }

    test::SongLibrary library;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(3);
    SetEditorState state{set.get(), config};
    SegmentDrop drop{state, &library.Database()};
};

TEST_F(SegmentDropTest, PrepareRefusesUnknownSongsMissingFilesAndOtherRates) {
    auto refused = drop.Prepare(*test::SongDesign("/nowhere.wav", 0, 10), {});
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().text, "Unable to load profile corresponding to this segment!");
    EXPECT_EQ(refused.Error().caption, "Insert Segment");

    std::string missing = library.AddMissingSong("Gone");
    refused = drop.Prepare(*test::SongDesign(missing, 0, 10), {});
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().text, "Unable to locate wave file " + missing + ".\nSegment can not be inserted into the set.");

    std::string slow = library.AddSong("Slow", 1000, 22050);
    refused = drop.Prepare(*test::SongDesign(slow, 0, 10), {});
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().text, "Sampling rate of segment does not match the set.\nSet: 44100. Segment: 22050.");
    EXPECT_EQ(refused.Error().icon, MessageIcon::Error);
}

TEST_F(SegmentDropTest, PrepareWorksOnACopyAndBuildsAMissingSummary) {
    std::string key = library.AddSong("Long", 250000);
    auto dropped = test::SongDesign(key, 0, 250000);
    dropped->SetPositionOffset(123);
    std::vector<int> steps;
    auto prepared = drop.Prepare(*dropped, [&](int percent) { steps.push_back(percent); });
    ASSERT_TRUE(prepared.Ok());
    EXPECT_NE(prepared.Value().get(), dropped.get());
    EXPECT_EQ(steps, (std::vector<int>{0, 100}));
    EXPECT_TRUE(library.Database().GetSong(key)->HasSummaryFile());
    EXPECT_EQ(dropped->GetPositionOffset(), 123);  // the window it came from keeps its own
    ASSERT_TRUE(drop.Insert(prepared.Value().get(), 1, 0, std::nullopt).Ok());
    EXPECT_EQ(prepared.Value()->GetPositionOffset(), 0);
    steps.clear();
    ASSERT_TRUE(drop.Prepare(*dropped, [&](int percent) { steps.push_back(percent); }).Ok());
    EXPECT_TRUE(steps.empty());  // built once
}

TEST_F(SegmentDropTest, ReplacingChecksTheFitBeforeCuttingAndCutsOnlyThatSegment) {
    CEvent* old = AddSegment(*set, 1, 0, 0, 1000, 1.0, "a.wav", "Old");
    AddSegment(*set, 1, 1500, 0, 100);
    CEvent* other = AddSegment(*set, 2, 0, 0, 1000);
    state.ToggleSelected(1, old);
    state.ToggleSelected(2, other);
    auto before = Bytes(*set);
    ASSERT_TRUE(drop.ReplaceTarget().has_value());
    EXPECT_EQ(drop.ReplaceTarget()->event, old);

    auto tooLong = test::SongDesign("b.wav", 0, 1501);
    auto refused = drop.Insert(tooLong.get(), 1, 0, drop.ReplaceTarget());
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().text, "Segments can not be overlapping.");
    EXPECT_EQ(Bytes(*set), before);
    EXPECT_FALSE(SetEditCommands::ClipboardHasSegmentDesign());

    auto fits = test::SongDesign("b.wav", 0, 1500, 128.0, "New");
    {
        HistoryGroup group(state.GetHistory());
        ASSERT_TRUE(drop.Insert(fits.get(), 1, 0, drop.ReplaceTarget()).Ok());
    }
    EXPECT_STREQ(test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment()->GetName(), "New");
    EXPECT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 1);  // the rest of the selection stays
    CSegmentDesign cut;
    ASSERT_TRUE(ReadFromClipboard(kSegmentDesignFormat, cut));
    EXPECT_STREQ(cut.GetName(), "Old");
    SetEditCommands(state).Undo();
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(SegmentDropTest, ChoicesFollowTheTemposAndTheSegmentsToMixInto) {
    AddSegment(*set, 2, 0, 0, 100000, 1.0, "x.wav", "Under");
    auto same = test::SongDesign("k", 0, 1000, 130.0, "Same");
    InsertChoices choices = drop.Choices(1, 5000, *same, false);
    EXPECT_EQ(choices.insertTempo, 130.0);
    EXPECT_FALSE(choices.resampleAvailable);
    EXPECT_FALSE(choices.splitAvailable);
    EXPECT_TRUE(choices.endsAtOnce);  // resampling would have been the default
    ASSERT_EQ(choices.mixLabels.size(), 1u);
    EXPECT_EQ(choices.mixLabels[0], "Under - Under title");
    EXPECT_FALSE(choices.mixAvailable);  // no mixing helper

    auto other = test::SongDesign("k", 0, 1000, 124.0, "Other");
    choices = drop.Choices(1, 5000, *other, false);
    EXPECT_TRUE(choices.resampleAvailable && choices.splitAvailable);
    EXPECT_EQ(choices.defaultChoice, InsertChoice::Resample);
    EXPECT_FALSE(choices.endsAtOnce);
    choices = drop.Choices(1, 5000, *same, true);
    EXPECT_TRUE(choices.mixAvailable);
    EXPECT_EQ(choices.defaultChoice, InsertChoice::MixInto);
    EXPECT_FALSE(choices.endsAtOnce);
    choices = drop.Choices(2, 5000, *same, true);  // its own track is no mixing partner
    EXPECT_TRUE(choices.mixTargets.empty());
    EXPECT_TRUE(choices.endsAtOnce);
}

TEST_F(SegmentDropTest, CheckSetReportsEachProblemAndRecordsTheNewNormalization) {
    std::string missing = library.AddMissingSong("Gone");
    std::string shortSong = library.AddSong("Short", 1000);
    std::string longSong = library.AddSong("Long", 250000);
    AddSegment(*set, 1, 0, 0, 100, 1.0, "/unknown.wav");
    AddSegment(*set, 1, 44100, 0, 100, 1.0, missing);
    AddSegment(*set, 2, 0, 0, 100, 1.0, shortSong);
    CEvent* adjusted = AddSegment(*set, 3, 44100, 0, 100, 1.0, longSong);
    std::atomic<int32_t> percent{0};
    ASSERT_TRUE(BuildSongSummary(*library.Database().GetSong(longSong), percent));
    {
        CWaveSummaryFile summary(library.Database().GetSong(longSong)->GetSummaryPath(), true);
        ASSERT_TRUE(summary.SetReferenceLevel(16384));
    }
    auto before = Bytes(*set);
    set->SetModified(false);

    auto rows = SetCheck::Run(state, &library.Database());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].problem, "No song profile defined.");
    EXPECT_EQ(rows[0].TrackPosition(), "1/0");
    EXPECT_EQ(rows[1].problem, "Unable to open wave file.");
    EXPECT_EQ(rows[1].songKey, missing);
    EXPECT_EQ(rows[2].problem, "Summary file needs to be created.");
    EXPECT_EQ(rows[3].problem, "Adjusted normalization (wave file may have changed)");
    EXPECT_EQ(rows[3].TrackPosition(), "3/44100");
    const double expected = config.GetReferencePoint() / (16384.0 / 32767.0);
    EXPECT_DOUBLE_EQ(adjusted->GetSegment()->GetNormalization(), expected);
    EXPECT_TRUE(set->IsModified());
    // The second check finds the value in place.
    EXPECT_EQ(SetCheck::Run(state, &library.Database()).size(), 3u);
    SetEditCommands(state).Undo();
    EXPECT_EQ(Bytes(*set), before);
}

}  // namespace
}  // namespace vantor
