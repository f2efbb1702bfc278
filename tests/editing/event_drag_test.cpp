#include <gtest/gtest.h>

#include "editing/editing_fixtures.h"
#include "editing/event_drag.h"
#include "editing/set_edit_commands.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::AddTempo;
using test::Bytes;
using test::Positions;

class EventDragTest : public ::testing::Test {
protected:
    // Presses at the position (with the selection the view would make),
    // takes the dragged edge to the target and releases.
    DragKind Drag(int32_t track, int32_t at, int64_t to, bool ctrl = false) {
        DragHit hit = drag.Hit(track, at, 10, ctrl);
        if (hit.kind == DragKind::Move && !state.IsSelected(track, hit.event)) state.SelectOnly(track, hit.event);
        drag.Begin(track, hit);
        drag.MoveTo(to);
        drag.End();
        EXPECT_TRUE(test::TimelineIsSound(*set));
        return hit.kind;
    }

    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(2);
    SetEditorState state{set.get(), config};
    std::optional<int64_t> songFrames;
    EventDrag drag{state, [this](const std::string&) { return songFrames; }};
};

TEST_F(EventDragTest, PressesFindEdgesWithinTheToleranceAndTheBodyBetween) {
    CEvent* a = AddSegment(*set, 1, 1000, 0, 1000);  // [1000, 2000)
    EXPECT_EQ(drag.Hit(1, 1000, 10, false).kind, DragKind::Start);
    EXPECT_EQ(drag.Hit(1, 1010, 10, false).kind, DragKind::Start);
    EXPECT_EQ(drag.Hit(1, 1011, 10, false).kind, DragKind::Move);
    EXPECT_EQ(drag.Hit(1, 1990, 10, false).kind, DragKind::End);
    EXPECT_EQ(drag.Hit(1, 2005, 10, false).kind, DragKind::End);  // just past the edge
    EXPECT_EQ(drag.Hit(1, 2005, 10, true).kind, DragKind::Repeat);
    EXPECT_EQ(drag.Hit(1, 2011, 10, false).kind, DragKind::None);
    EXPECT_EQ(drag.Hit(1, 1500, 10, false).event, a);
    // Tempo: the head has no left edge; the next change's position is the
    // right edge of the one before it.
    AddTempo(*set, 1500, 120.0);  // the last change lasts to the end of the set, 2000
    CEvent* head = set->GetTrack(0)->GetEvents().GetHead()->GetItem();
    EXPECT_EQ(drag.Hit(0, 3, 10, false).kind, DragKind::None);
    EXPECT_EQ(drag.Hit(0, 3, 10, false).event, head);
    EXPECT_EQ(drag.Hit(0, 1495, 10, false).kind, DragKind::Tempo);
    EXPECT_EQ(drag.Hit(0, 1505, 10, false).kind, DragKind::Tempo);
    EXPECT_EQ(drag.Hit(0, 1505, 10, false).moved->GetPosition(), 1500);
    EXPECT_EQ(drag.Hit(0, 2000, 10, false).event, nullptr);
}

TEST_F(EventDragTest, DraggingOntoThePreviousSegmentStopsOneFrameAfterIt) {
    AddSegment(*set, 1, 0, 0, 1000);                 // ends at 1000
    CEvent* b = AddSegment(*set, 1, 5000, 0, 1000);
    auto before = Bytes(*set);
    EXPECT_EQ(Drag(1, 5500, 500), DragKind::Move);   // pressed 500 into it: its start goes to 0
    EXPECT_EQ(b->GetPosition(), 1001);
    // One group: one Undo.
    SetEditCommands commands(state);
    ASSERT_TRUE(commands.Undo());
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(EventDragTest, AMovedGroupIsLimitedAsAWholeAndKeepsItsShape) {
    CEvent* a = AddSegment(*set, 1, 100, 0, 100);
    CEvent* b = AddSegment(*set, 1, 400, 0, 100);
    state.ToggleSelected(1, a);
    state.ToggleSelected(1, b);
    drag.Begin(1, drag.Hit(1, 450, 10, false));
    drag.MoveTo(-1000);  // far below 0: the group stops with a at 0
    drag.End();
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{0, 300}));

    // Right: the last one stops one frame before the next segment.
    AddSegment(*set, 1, 1000, 0, 100);
    drag.Begin(1, drag.Hit(1, 50, 10, false));
    drag.MoveTo(5000);
    drag.End();
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{599, 899, 1000}));
    EXPECT_EQ(b->GetPosition() + 100, 999);
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(EventDragTest, AGroupCannotJumpAnEventBetweenItsMembers) {
    CEvent* a = AddSegment(*set, 1, 0, 0, 100);
    AddSegment(*set, 1, 300, 0, 100);  // not selected
    CEvent* c = AddSegment(*set, 1, 1000, 0, 100);
    state.ToggleSelected(1, a);
    state.ToggleSelected(1, c);
    drag.Begin(1, drag.Hit(1, 1050, 10, false));
    drag.MoveTo(1050 + 5000);
    drag.End();
    // a stops one frame before the middle one: the whole group moved 199.
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{199, 300, 1199}));
}

TEST_F(EventDragTest, StartDragStopsAfterThePreviousSegmentAndAtSourceZero) {
    AddSegment(*set, 1, 0, 0, 1000);                          // ends at 1000
    CEvent* b = AddSegment(*set, 1, 3000, 5000, 9000);        // source from 5000
    EXPECT_EQ(Drag(1, 3000, 0), DragKind::Start);
    EXPECT_EQ(b->GetPosition(), 1001);
    EXPECT_EQ(b->GetSegment()->GetSegment()->GetStart(), 5000 - 1999);
    EXPECT_EQ(b->GetSegment()->GetSegment()->GetEnd(), 9000);

    CEvent* c = AddSegment(*set, 2, 10000, 300, 900, 2.0);    // source start 300 at ratio 2
    EXPECT_EQ(Drag(2, 10000, 0), DragKind::Start);
    EXPECT_EQ(c->GetSegment()->GetSegment()->GetStart(), 0);
    EXPECT_EQ(c->GetPosition(), 9400);  // where the source start reaches 0
    // Rightwards it stays short of the source end.
    EXPECT_EQ(Drag(2, 9400, 1 << 30), DragKind::Start);
    EXPECT_LT(c->GetSegment()->GetSegment()->GetStart(), 900);
    EXPECT_GE(c->GetSegment()->GetSegment()->GetTimelineLength(), 1);
}

TEST_F(EventDragTest, EndDragStopsBeforeTheNextSegmentAndAtTheSongLength) {
    CEvent* a = AddSegment(*set, 1, 0, 0, 1000);
    AddSegment(*set, 1, 3000, 0, 1000);
    EXPECT_EQ(Drag(1, 1000, 100000), DragKind::End);
    EXPECT_EQ(a->GetSegment()->GetSegment()->GetTimelineLength(), 2999);  // ends one frame before 3000
    EXPECT_EQ(Drag(1, 2999, -50), DragKind::End);
    EXPECT_EQ(a->GetSegment()->GetSegment()->GetEnd(), 1);  // stays above the start

    songFrames = 4000;
    CEvent* c = AddSegment(*set, 2, 0, 1000, 2000, 0.5);  // 500 frames on the timeline
    EXPECT_EQ(Drag(2, 500, 1 << 30), DragKind::End);
    EXPECT_EQ(c->GetSegment()->GetSegment()->GetEnd(), 4000);
}

TEST_F(EventDragTest, RepeatDragInsertsWholeCopiesWhereTheyFit) {
    CEvent* a = AddSegment(*set, 1, 0, 0, 1000);
    AddSegment(*set, 1, 3500, 0, 100);
    auto before = Bytes(*set);
    EXPECT_EQ(Drag(1, 1000, 10000, true), DragKind::Repeat);
    // Copies at 1001 and 2002 (ending 3002); a third at 3003 would reach 3500.
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{0, 1001, 2002, 3500}));
    EXPECT_EQ(a->GetSegment()->GetSegment()->GetEnd(), 1000);  // not stretched
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(1), 1)->GetPendingEdits(), 1);
    SetEditCommands commands(state);
    ASSERT_TRUE(commands.Undo());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(EventDragTest, TempoEventsStayBetweenTheirNeighbours) {
    AddTempo(*set, 10000, 120.0);
    CEvent* middle = AddTempo(*set, 20000, 125.0);
    AddTempo(*set, 30000, 128.0);
    EXPECT_EQ(Drag(0, 20000, 500), DragKind::Tempo);
    EXPECT_EQ(middle->GetPosition(), 10001);
    EXPECT_EQ(Drag(0, 10001, 99999), DragKind::Tempo);
    EXPECT_EQ(middle->GetPosition(), 29999);
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 10000, 29999, 30000}));
}

TEST_F(EventDragTest, ADragThatChangesNothingRecordsNothing) {
    AddSegment(*set, 1, 1000, 0, 1000);
    Drag(1, 1500, 1000);  // the dragged edge back where it was
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(state.GetHistory().GetGroupDepth(), 0);
}

}  // namespace
}  // namespace vantor
