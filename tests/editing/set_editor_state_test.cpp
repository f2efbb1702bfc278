#include <gtest/gtest.h>

#include <cmath>

#include "editing/editing_fixtures.h"
#include "editing/history_group.h"
#include "editing/set_editor_state.h"
#include "editing/snap_grid.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::AddTempo;
using test::Bytes;
using test::Positions;

TEST(SetEditorStateTest, OpensWithAnEmptyHistoryNoSelectionAndTheBarGrid) {
    auto set = test::NewSet(3);
    SetEditorState state(set.get(), CConfiguration(), 1.5, 3.0);
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(state.GetHistory().GetSet(), set.get());
    EXPECT_EQ(state.GetSelectedTrack(), SetEditorState::kNoTrack);
    EXPECT_EQ(state.FirstTrackWithSelection(), SetEditorState::kNoTrack);
    EXPECT_EQ(state.GetSnapGrid().GetFraction(), 1.0);
    EXPECT_FALSE(state.GetLoop().has_value());
    EXPECT_EQ(state.GetLeftPosition(), 66150);
    EXPECT_EQ(state.GetRightPosition(), 132300);
}

TEST(SetEditorStateTest, MarkerTimesBecomePositionsByTruncation) {
    auto set = test::NewSet(1);
    SetEditorState state(set.get(), CConfiguration());
    state.SetLeftMarker(0.99999);  // 44099.5599 frames
    EXPECT_EQ(state.GetLeftPosition(), 44099);
    state.SetLeftMarker(-2.0);
    EXPECT_EQ(state.GetLeftPosition(), 0);
    state.SetRightMarker(std::nan(""));
    EXPECT_EQ(state.GetRightPosition(), 0);
    state.SetRightMarker(1e12);
    EXPECT_EQ(state.GetRightPosition(), INT32_MAX);
}

TEST(SetEditorStateTest, TempoInEffectWalksTheTempoTrackUpToThePosition) {
    auto set = test::NewSet(1, 120.0);
    AddTempo(*set, 1000, 125.0);
    AddTempo(*set, 2000, 128.0);
    SetEditorState state(set.get(), CConfiguration());
    EXPECT_EQ(state.TempoAt(0), 120.0);
    EXPECT_EQ(state.TempoAt(999), 120.0);
    EXPECT_EQ(state.TempoAt(1000), 125.0);
    EXPECT_EQ(state.TempoAt(1 << 30), 128.0);
    set->GetTrack(0)->GetEvents().RemoveAll();
    EXPECT_EQ(state.TempoAt(5), 130.0);  // the configured default
}

TEST(SetEditorStateTest, EventAtCountsTheEndFrameOutAndTempoEventsUpToTheNext) {
    auto set = test::NewSet(2);
    CEvent* a = AddSegment(*set, 1, 100, 0, 200);  // covers [100, 300)
    CEvent* b = AddSegment(*set, 1, 300, 0, 100, 1.5);  // covers [300, 450)
    CEvent* c = AddSegment(*set, 2, 250, 0, 100);
    CEvent* t1 = AddTempo(*set, 400, 125.0);
    SetEditorState state(set.get(), CConfiguration());
    EXPECT_EQ(state.EventAt(1, 99), nullptr);
    EXPECT_EQ(state.EventAt(1, 100), a);
    EXPECT_EQ(state.EventAt(1, 299), a);
    EXPECT_EQ(state.EventAt(1, 300), b);
    EXPECT_EQ(state.EventAt(1, 449), b);
    EXPECT_EQ(state.EventAt(1, 450), nullptr);
    CEvent* t0 = set->GetTrack(0)->GetEvents().GetHead()->GetItem();
    EXPECT_EQ(state.EventAt(0, 399), t0);
    EXPECT_EQ(state.EventAt(0, 400), t1);
    EXPECT_EQ(state.EventAt(0, 449), t1);  // the last one reaches the end of the set
    EXPECT_EQ(state.EventAt(0, 450), nullptr);

    auto at = state.SegmentsAt(260);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0].track, 1);
    EXPECT_EQ(at[0].event, a);
    EXPECT_EQ(at[1].track, 2);
    EXPECT_EQ(at[1].event, c);
}

TEST(SetEditorStateTest, SelectionKeepsOneCurrentEventPerTrack) {
    auto set = test::NewSet(3);
    CEvent* a = AddSegment(*set, 2, 0, 0, 100);
    CEvent* b = AddSegment(*set, 2, 200, 0, 100);
    CEvent* c = AddSegment(*set, 3, 0, 0, 100);
    SetEditorState state(set.get(), CConfiguration());
    state.SelectOnly(3, c);
    state.ToggleSelected(2, a);
    state.ToggleSelected(2, b);
    EXPECT_EQ(state.FirstTrackWithSelection(), 2);
    EXPECT_EQ(state.GetCurrentEvent(2), b);
    EXPECT_EQ(state.GetSelection(2).size(), 2u);
    state.ToggleSelected(2, b);  // off again: the other one is current
    EXPECT_EQ(state.GetCurrentEvent(2), a);
    state.SelectOnly(2, b);
    EXPECT_TRUE(state.GetSelection(3).empty());
    EXPECT_EQ(state.GetCurrentEvent(3), nullptr);
    EXPECT_EQ(state.GetSelection(2).size(), 1u);
    EXPECT_EQ(state.TakeRepaint(), (std::set<int32_t>{2, 3}));
    state.SetSelectedTrack(9);
    EXPECT_EQ(state.GetSelectedTrack(), SetEditorState::kNoTrack);
    EXPECT_TRUE(state.GetSelection(42).empty());
}

TEST(SnapGridTest, SnapsAroundItsOriginNotAroundMinusTheOrigin) {
    SnapGrid grid(120.0);
    ASSERT_TRUE(grid.SetFraction(0.25));  // a quarter note at 120 bpm: 0.5 s
    grid.Align(120.0, 0.3);
    EXPECT_DOUBLE_EQ(grid.GetUnit(), 0.5);
    EXPECT_DOUBLE_EQ(grid.Snap(0.3), 0.3);    // the origin is a grid point
    EXPECT_DOUBLE_EQ(grid.Snap(1.05), 1.3);   // u x n - o would give 1.2
    EXPECT_DOUBLE_EQ(grid.Snap(0.55), 0.8);   // a half rounds up
    EXPECT_DOUBLE_EQ(grid.Snap(0.54), 0.3);
    EXPECT_DOUBLE_EQ(grid.Snap(0.01), 0.3);   // -0.2 is below 0: the first point after 0
    EXPECT_DOUBLE_EQ(grid.Snap(-5.0), 0.3);
}

TEST(SnapGridTest, OffLeavesTimesAndRefusesNonsenseFractions) {
    SnapGrid grid(130.0);
    EXPECT_FALSE(grid.SetFraction(0.0));
    EXPECT_FALSE(grid.SetFraction(std::nan("")));
    EXPECT_EQ(grid.GetFraction(), 1.0);
    grid.Align(-5.0, 2.0);  // a bad tempo keeps the old one
    EXPECT_EQ(grid.GetTempo(), 130.0);
    EXPECT_TRUE(grid.SetFraction(SnapGrid::kOff));
    EXPECT_DOUBLE_EQ(grid.Snap(1.2345), 1.2345);
    EXPECT_DOUBLE_EQ(grid.Snap(-1.0), 0.0);
}

TEST(SegmentPlacementTest, InsertAtAnotherSegmentsStartIsRefusedAtItsEndAccepted) {
    auto set = test::NewSet(1);
    CSetHistory history(set.get());
    AddSegment(*set, 1, 1000, 0, 500);  // [1000, 1500)
    auto design = test::SongDesign("k", 0, 200);
    EXPECT_EQ(InsertSegmentEvent(*set, 1, 1000, design.get(), &history), nullptr);
    EXPECT_EQ(InsertSegmentEvent(*set, 1, 801, design.get(), &history), nullptr);  // reaches frame 1000
    EXPECT_FALSE(history.HasRecords());
    EXPECT_NE(InsertSegmentEvent(*set, 1, 800, design.get(), &history), nullptr);  // ends where it starts
    EXPECT_NE(InsertSegmentEvent(*set, 1, 1500, design.get(), &history), nullptr);
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{800, 1000, 1500}));
    EXPECT_EQ(InsertSegmentEvent(*set, 0, 5000, design.get(), &history), nullptr);  // not on the tempo track
    EXPECT_EQ(history.GetRecords().GetCount(), 2);
}

TEST(SegmentPlacementTest, AnEmptySegmentStillHoldsItsFirstFrame) {
    auto set = test::NewSet(1);
    auto empty = test::SongDesign("k", 50, 50);
    ASSERT_NE(InsertSegmentEvent(*set, 1, 100, empty.get(), nullptr), nullptr);
    EXPECT_EQ(InsertSegmentEvent(*set, 1, 100, empty.get(), nullptr), nullptr);
    auto design = test::SongDesign("k", 0, 10);
    EXPECT_EQ(InsertSegmentEvent(*set, 1, 95, design.get(), nullptr), nullptr);
    EXPECT_NE(InsertSegmentEvent(*set, 1, 101, design.get(), nullptr), nullptr);
    // Nothing may reach past the 32-bit timeline.
    EXPECT_EQ(InsertSegmentEvent(*set, 1, INT32_MAX - 5, design.get(), nullptr), nullptr);
}

TEST(SegmentPlacementTest, SplitOnTheFirstOrLastFrameIsRefused) {
    auto set = test::NewSet(1);
    CEvent* event = AddSegment(*set, 1, 1000, 0, 500);
    CSetHistory history(set.get());
    auto before = Bytes(*set);
    EXPECT_FALSE(SplitSegment(*set, history, 1, event, 1000));
    EXPECT_FALSE(SplitSegment(*set, history, 1, event, 1500));
    EXPECT_FALSE(SplitSegment(*set, history, 1, event, 1501));
    EXPECT_FALSE(history.HasRecords());
    EXPECT_EQ(history.GetGroupDepth(), 0);
    EXPECT_EQ(Bytes(*set), before);
}

TEST(SegmentPlacementTest, SplitIsOneGroupAndOneUndoRestoresTheSegment) {
    auto set = test::NewSet(1);
    CEvent* event = AddSegment(*set, 1, 1000, 100, 700, 1.5);  // covers [1000, 1900)
    CSetHistory history(set.get());
    auto before = Bytes(*set);
    ASSERT_TRUE(SplitSegment(*set, history, 1, event, 1301));
    const CTrack& track = *set->GetTrack(1);
    ASSERT_EQ(Positions(track), (std::vector<int32_t>{1000, 1301}));
    const CSegment& first = *test::EventAtIndex(track, 0)->GetSegment()->GetSegment();
    const CSegment& second = *test::EventAtIndex(track, 1)->GetSegment()->GetSegment();
    EXPECT_EQ(first.GetStart(), 100);
    EXPECT_EQ(first.GetEnd(), 100 + 200);           // (int)(301 / 1.5)
    EXPECT_EQ(second.GetStart(), 301);              // one after the first part's end
    EXPECT_EQ(second.GetEnd(), 301 + 399);          // (int)(599 / 1.5)
    EXPECT_EQ(test::EventAtIndex(track, 1)->GetPendingEdits(), 1);  // the clone's count starts afresh
    EXPECT_TRUE(test::TimelineIsSound(*set));
    // replace, insert, group end
    ASSERT_EQ(history.GetRecords().GetCount(), 3);
    EXPECT_EQ(history.GetRecords().GetAt(2)->GetKind(), CSetOperationInfo::kGroupEnd);
    history.Undo();
    EXPECT_FALSE(history.HasRecords());
    EXPECT_EQ(Bytes(*set), before);
}

TEST(SegmentPlacementTest, SplitNeverReadsPastTheSourceEnd) {
    auto set = test::NewSet(1);
    CEvent* event = AddSegment(*set, 1, 0, 0, 1000);
    CSetHistory history(set.get());
    ASSERT_TRUE(SplitSegment(*set, history, 1, event, 400));
    const CSegment& second = *test::EventAtIndex(*set->GetTrack(1), 1)->GetSegment()->GetSegment();
    EXPECT_EQ(second.GetStart(), 401);
    EXPECT_EQ(second.GetEnd(), 1000);  // 401 + 600 would pass the end
    // A part that would keep no frame on the timeline refuses the split.
    CEvent* stretched = AddSegment(*set, 1, 5000, 0, 10, 0.5);  // covers [5000, 5005)
    EXPECT_FALSE(SplitSegment(*set, history, 1, stretched, 5004));
}

TEST(SegmentPlacementTest, MoveEventKeepsWeightsEqualToPositions) {
    auto set = test::NewSet(1);
    CEvent* a = AddSegment(*set, 1, 0, 0, 10);
    AddSegment(*set, 1, 100, 0, 10);
    AddSegment(*set, 1, 200, 0, 10);
    ASSERT_NE(MoveEvent(*set->GetTrack(1), a, 150), nullptr);
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{100, 150, 200}));
    EXPECT_TRUE(test::TimelineIsSound(*set));
    CEvent stranger;
    EXPECT_EQ(MoveEvent(*set->GetTrack(1), &stranger, 5), nullptr);
}

TEST(HistoryGroupTest, NestedScopesMakeOneUndoStep) {
    auto set = test::NewSet(1);
    CSetHistory history(set.get());
    auto before = Bytes(*set);
    {
        HistoryGroup outer(history);
        InsertSegmentEvent(*set, 1, 0, test::SongDesign("k", 0, 10).get(), &history);
        {
            HistoryGroup inner(history);
            InsertSegmentEvent(*set, 1, 100, test::SongDesign("k", 0, 10).get(), &history);
        }
        EXPECT_EQ(history.GetGroupDepth(), 1);
        InsertSegmentEvent(*set, 1, 200, test::SongDesign("k", 0, 10).get(), &history);
    }
    EXPECT_EQ(history.GetRecords().GetCount(), 4);
    history.Undo();
    EXPECT_EQ(Bytes(*set), before);
}

}  // namespace
}  // namespace vantor
