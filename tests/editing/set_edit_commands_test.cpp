#include <gtest/gtest.h>

#include "editing/editing_fixtures.h"
#include "editing/set_edit_commands.h"
#include "model/set_clip.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::Bytes;
using test::Positions;

class SetEditCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { test::ClearClipboard(); }
    void TearDown() override { test::ClearClipboard(); }

    void Expect(const Status& status, const char* text, const char* caption, MessageIcon icon = MessageIcon::Error) {
        ASSERT_FALSE(status.Ok());
        EXPECT_EQ(status.Error().text, text);
        EXPECT_EQ(status.Error().caption, caption);
        EXPECT_EQ(status.Error().icon, icon);
    }

    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(3);
    SetEditorState state{set.get(), config};
    SetEditCommands commands{state};
};

TEST_F(SetEditCommandsTest, CopyOfOneSegmentPutsItsDesignOnTheClipboard) {
    CEvent* event = AddSegment(*set, 2, 5000, 10, 400, 1.0, "a.wav", "Alpha");
    EXPECT_FALSE(commands.Copy());  // nothing selected
    state.SelectOnly(2, event);
    ASSERT_TRUE(commands.Copy());
    EXPECT_TRUE(SetEditCommands::ClipboardHasSegmentDesign());
    CSegmentDesign copied;
    ASSERT_TRUE(ReadFromClipboard(kSegmentDesignFormat, copied));
    EXPECT_STREQ(copied.GetName(), "Alpha");
    EXPECT_EQ(Bytes(*copied.GetSegment()), Bytes(*event->GetSegment()->GetSegment()));
}

TEST_F(SetEditCommandsTest, CopyOfSeveralSegmentsMakesAClipWithOffsetsFromTheEarliest) {
    CEvent* a = AddSegment(*set, 1, 9000, 0, 100, 1.0, "a.wav", "A");
    CEvent* b = AddSegment(*set, 3, 7000, 0, 100, 1.0, "b.wav", "B");
    CEvent* c = AddSegment(*set, 3, 8000, 0, 100, 1.0, "c.wav", "C");
    state.ToggleSelected(1, a);
    state.ToggleSelected(3, b);
    state.ToggleSelected(3, c);
    ASSERT_TRUE(commands.Copy());
    EXPECT_FALSE(SetEditCommands::ClipboardHasSegmentDesign());
    CSetClip clip;
    ASSERT_TRUE(ReadFromClipboard(kSetClipFormat, clip));
    ASSERT_EQ(clip.GetCount(), 3);  // one array per audio track
    EXPECT_EQ(clip.GetTag(), -1);
    ASSERT_EQ(clip.GetArray(0)->GetCount(), 1);
    EXPECT_EQ(clip.GetArray(0)->GetAt(0)->GetPositionOffset(), 2000);
    EXPECT_EQ(clip.GetArray(1)->GetCount(), 0);
    ASSERT_EQ(clip.GetArray(2)->GetCount(), 2);
    EXPECT_EQ(clip.GetArray(2)->GetAt(0)->GetPositionOffset(), 0);
    EXPECT_EQ(clip.GetArray(2)->GetAt(1)->GetPositionOffset(), 1000);
    // The events in the set keep their own designs' offsets.
    EXPECT_EQ(a->GetSegment()->GetPositionOffset(), 0);
}

TEST_F(SetEditCommandsTest, EraseRemovesEverySelectedSegmentOneUndoEach) {
    CEvent* a = AddSegment(*set, 1, 0, 0, 100);
    CEvent* b = AddSegment(*set, 1, 500, 0, 100);
    CEvent* c = AddSegment(*set, 2, 0, 0, 100);
    auto before = Bytes(*set);
    state.ToggleSelected(1, a);
    state.ToggleSelected(1, b);
    state.ToggleSelected(2, c);
    EXPECT_EQ(commands.Erase(), 3);
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
    EXPECT_EQ(state.FirstTrackWithSelection(), SetEditorState::kNoTrack);
    EXPECT_EQ(state.GetHistory().GetRecords().GetCount(), 3);
    ASSERT_TRUE(commands.Undo());
    EXPECT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 1);
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
    ASSERT_TRUE(commands.Undo());
    ASSERT_TRUE(commands.Undo());
    EXPECT_FALSE(commands.Undo());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(SetEditCommandsTest, PasteRefusals) {
    auto design = test::SongDesign("k.wav", 0, 1000);
    design->SetPositionOffset(777);  // a clip's offset means nothing to a paste
    PutOnClipboard(*design, kSegmentDesignFormat);
    auto refused = commands.PasteSegmentDesign();
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().text, "Select a track before inserting segments");
    EXPECT_EQ(refused.Error().caption, "Insert Segment");
    state.SetSelectedTrack(0);
    refused = commands.PasteSegmentDesign();
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().text, "Segments can not be inserted into the tempo track.");
    state.SetSelectedTrack(1);
    auto pasted = commands.PasteSegmentDesign();
    ASSERT_TRUE(pasted.Ok());
    EXPECT_EQ(pasted.Value()->GetPosition(), 0);
    EXPECT_EQ(pasted.Value()->GetSegment()->GetPositionOffset(), 0);
    refused = commands.PasteSegmentDesign();  // the same place again
    ASSERT_FALSE(refused.Ok());
    EXPECT_EQ(refused.Error().text, "Segments can not be overlapping.");
    EXPECT_EQ(refused.Error().icon, MessageIcon::Error);
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(SetEditCommandsTest, ReplaceUsesTheInsertionRule) {
    CEvent* event = AddSegment(*set, 1, 0, 0, 1000);
    AddSegment(*set, 1, 2000, 0, 1000);
    auto longer = test::SongDesign("k.wav", 0, 2001);
    // position + n = 2001 is not beyond next + 1, but the last frame is the
    // next segment's first.
    Expect(commands.ReplaceSegmentDesign(1, event, *longer),
           "Unable to replace segment in track. New segment overlaps another segment.", "Insert Segment");
    EXPECT_EQ(event->GetSegment()->GetSegment()->GetEnd(), 1000);
    auto fits = test::SongDesign("k.wav", 0, 2000, 128.0, "Fits");
    ASSERT_TRUE(commands.ReplaceSegmentDesign(1, event, *fits).Ok());
    EXPECT_STREQ(event->GetSegment()->GetName(), "Fits");
    EXPECT_NE(event->GetSegment(), fits.get());  // the event holds its own copy
    ASSERT_TRUE(commands.Undo());
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment()->GetSegment()->GetEnd(), 1000);
}

TEST_F(SetEditCommandsTest, ResamplingThatWouldOverlapTheNextSegmentIsRefused) {
    CEvent* event = AddSegment(*set, 1, 0, 0, 1000, 1.0, "a.wav", "A", 128.0);
    AddSegment(*set, 1, 1020, 0, 100);
    auto before = Bytes(*set);
    // 128 -> 120 stretches by 1.0667: 1066 frames reach the next segment.
    Expect(commands.ResampleToTempo(1, event, 120.0), "Segments can not be overlapping.", "Insert Segment");
    EXPECT_EQ(Bytes(*set), before);
    // 128 -> 130 shrinks it.
    ASSERT_TRUE(commands.ResampleToTempo(1, event, 130.0).Ok());
    EXPECT_DOUBLE_EQ(event->GetSegment()->GetSegment()->GetRatio(), 128.0 / 130.0);
    EXPECT_EQ(event->GetSegment()->GetTempo(), 130.0);
    ASSERT_TRUE(commands.Undo());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(SetEditCommandsTest, PlacingATempoChangeInsertsOrRetunes) {
    ASSERT_TRUE(commands.PlaceTempoChange(44100, 124.0).Ok());
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 44100}));
    EXPECT_EQ(state.TempoAt(44099), 130.0);
    EXPECT_EQ(state.TempoAt(44100), 124.0);
    ASSERT_TRUE(commands.PlaceTempoChange(0, 126.0).Ok());
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 44100}));
    EXPECT_EQ(state.TempoAt(0), 126.0);
    EXPECT_TRUE(test::TimelineIsSound(*set));
    ASSERT_TRUE(commands.Revert());
    EXPECT_EQ(state.TempoAt(44100), 130.0);
    EXPECT_EQ(set->GetTrack(0)->GetEvents().GetCount(), 1);
}

TEST_F(SetEditCommandsTest, UndoRevertAndCommitNeedRecords) {
    EXPECT_FALSE(commands.Undo());
    EXPECT_FALSE(commands.Revert());
    EXPECT_FALSE(commands.Commit());
    CEvent* event = AddSegment(*set, 1, 0, 0, 1000);
    state.SelectOnly(1, event);
    state.SetLeftMarker(0.01);
    ASSERT_TRUE(commands.SplitSegmentAtLeft().Ok());
    EXPECT_TRUE(set->IsModified());
    EXPECT_GT(event->GetPendingEdits(), 0);
    ASSERT_TRUE(commands.Commit());
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(event->GetPendingEdits(), 0);
    EXPECT_EQ(state.FirstTrackWithSelection(), SetEditorState::kNoTrack);
    EXPECT_FALSE(commands.Undo());
}

}  // namespace
}  // namespace vantor
