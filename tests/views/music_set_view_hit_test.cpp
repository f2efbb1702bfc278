#include <gtest/gtest.h>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "platform/scripted_user_interface.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

// What the window asks of the view to choose its mouse cursor and to
// scroll: 0.01 s per pixel, rows 20 pixels high, the track area from x = 100.
class MusicSetViewHitTest : public ::testing::Test {
protected:
    void SetUp() override {
        geometry.trackAreaLeft = 100;
        geometry.rowHeights = {20, 20, 20, 20};
        song = library.AddSong("Song", 100000, 44100, 130.0);
    }
    DragKind At(int row, double seconds, bool ctrl = false) const {
        return view.HitAt(geometry.XAt(seconds), geometry.RowTop(row) + 10, geometry, ctrl);
    }

    test::SongLibrary library;
    std::string song;
    ScriptedUserInterface ui;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(3);
    CMusicSetView view{ui, &library.Database(), set.get(), "/sets/demo.set", config};
    TimelineGeometry geometry;
};

TEST_F(MusicSetViewHitTest, EdgesBodyAndEmptyPlacesWithoutChangingTheSelection) {
    test::AddSegment(*set, 1, 44100, 0, 44100, 1.0, song);  // 1 s to 2 s
    test::AddTempo(*set, 66150, 120.0);                     // a second tempo event at 1.5 s
    EXPECT_EQ(At(1, 1.0), DragKind::Start);
    EXPECT_EQ(At(1, 1.5), DragKind::Move);
    EXPECT_EQ(At(1, 2.0), DragKind::End);
    EXPECT_EQ(At(1, 2.0, true), DragKind::Repeat);
    EXPECT_EQ(At(1, 3.0), DragKind::None);
    EXPECT_EQ(At(0, 1.5), DragKind::Tempo);
    EXPECT_EQ(At(0, 1.0), DragKind::None);
    // Left of the track area, below the rows, on a row the set lacks.
    EXPECT_EQ(view.HitAt(50, geometry.RowTop(1) + 10, geometry, false), DragKind::None);
    EXPECT_EQ(view.HitAt(geometry.XAt(1.5), 500, geometry, false), DragKind::None);
    geometry.rowHeights.push_back(20);
    EXPECT_EQ(At(4, 1.5), DragKind::None);
    // Asking neither selects nor marks anything.
    EXPECT_EQ(view.GetState().FirstTrackWithSelection(), SetEditorState::kNoTrack);
    EXPECT_EQ(view.GetState().GetSelectedTrack(), SetEditorState::kNoTrack);
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(MusicSetViewHitTest, RowsScrolledUpUnderTheRulerCannotBeHit) {
    test::AddSegment(*set, 1, 44100, 0, 44100, 1.0, song);  // 1 s to 2 s
    geometry.trackAreaTop = 30;
    geometry.rowScroll = 25;  // the tempo row and a quarter of track 1 under the ruler
    EXPECT_EQ(geometry.RowTop(1), 25);
    EXPECT_EQ(geometry.RowAt(29), -1);
    EXPECT_EQ(geometry.RowAt(30), 1);
    EXPECT_EQ(geometry.RowAt(45), 2);
    EXPECT_EQ(view.HitAt(geometry.XAt(1.5), 27, geometry, false), DragKind::None);
    EXPECT_EQ(view.HitAt(geometry.XAt(1.5), 35, geometry, false), DragKind::Move);
}

TEST_F(MusicSetViewHitTest, ScrollingKeepsTheStartTimeAFiniteTimeNotBelowZero) {
    view.SetViewStartTime(12.5);
    EXPECT_EQ(view.GetViewStartTime(), 12.5);
    view.SetViewStartTime(-3.0);
    EXPECT_EQ(view.GetViewStartTime(), 0.0);
    view.SetViewStartTime(std::nan(""));
    EXPECT_EQ(view.GetViewStartTime(), 0.0);
    view.SetViewStartTime(HUGE_VAL);
    EXPECT_EQ(view.GetViewStartTime(), 0.0);
}

TEST_F(MusicSetViewHitTest, MixdownTakesTheSpanBetweenTheMarkersAndRefusesAnEmptyOne) {
    view.GetState().SetLeftMarker(1.0);
    view.GetState().SetRightMarker(1.0);
    EXPECT_FALSE(view.MixdownRange());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text,
              "Place the left marker where you wish to start the mixdown and\nthe right marker where you wish stop. "
              "Reselect File/Mixdown\nto save the section of the set to disk.\n");
    EXPECT_EQ(ui.Messages()[0].caption, "Mixdown");
    view.GetState().SetLeftMarker(2.0);
    EXPECT_FALSE(view.MixdownRange());
    view.GetState().SetRightMarker(3.5);
    auto range = view.MixdownRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->start, 88200);
    EXPECT_EQ(range->end, 154350);
    EXPECT_EQ(ui.Messages().size(), 2u);
}

}  // namespace
}  // namespace vantor
