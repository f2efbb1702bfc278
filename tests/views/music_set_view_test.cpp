#include <gtest/gtest.h>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "platform/scripted_user_interface.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::AddTempo;
using test::Bytes;
using test::Positions;

// A set editor on a three-track set over a database of generated songs, the
// user scripted. The timeline shows 0.01 s per pixel from 0 s, rows 20
// pixels high starting at y = 0, the track area starting at x = 100.
class MusicSetViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ClearClipboard();
        geometry.trackAreaLeft = 100;
        geometry.rowHeights = {20, 20, 20, 20};
        song = library.AddSong("Song", 100000, 44100, 130.0);
    }
    void TearDown() override { test::ClearClipboard(); }

    int X(double seconds) const { return geometry.XAt(seconds); }
    int Y(int row) const { return geometry.RowTop(row) + 10; }
    void Click(int row, double seconds, bool ctrl = false) {
        view.MousePress(X(seconds), Y(row), geometry, ctrl);
        view.MouseRelease(X(seconds), Y(row));
    }
    void Drag(int row, double from, double to, bool ctrl = false) {
        view.MousePress(X(from), Y(row), geometry, ctrl);
        view.MouseMove(X(from) + (X(to) > X(from) ? 5 : -5), Y(row));
        view.MouseRelease(X(to), Y(row));
    }
    void ExpectOnlyMessage(const std::string& text, const std::string& caption, MessageIcon icon = MessageIcon::Error,
                           MessageButtons buttons = MessageButtons::Ok) {
        ASSERT_EQ(ui.Messages().size(), 1u) << (ui.Messages().empty() ? "" : ui.Messages().back().text);
        EXPECT_EQ(ui.Messages()[0].text, text);
        EXPECT_EQ(ui.Messages()[0].caption, caption);
        EXPECT_EQ(ui.Messages()[0].icon, icon);
        EXPECT_EQ(ui.Messages()[0].buttons, buttons);
        ui.ClearLog();
    }

    test::SongLibrary library;
    std::string song;
    ScriptedUserInterface ui;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(3);
    CMusicSetView view{ui, &library.Database(), set.get(), "/sets/demo.set", config};
    TimelineGeometry geometry;
};

TEST_F(MusicSetViewTest, DropRefusesUnknownSongsMissingFilesAndOtherRates) {
    EXPECT_FALSE(view.DropSegment(*test::SongDesign("/nowhere.wav", 0, 10), X(1), Y(1), geometry));
    ExpectOnlyMessage("Unable to load profile corresponding to this segment!", "Insert Segment");
    std::string missing = library.AddMissingSong("Gone");
    EXPECT_FALSE(view.DropSegment(*test::SongDesign(missing, 0, 10), X(1), Y(1), geometry));
    ExpectOnlyMessage("Unable to locate wave file " + missing + ".\nSegment can not be inserted into the set.",
                      "Insert Segment");
    std::string slow = library.AddSong("Slow", 1000, 22050);
    EXPECT_FALSE(view.DropSegment(*test::SongDesign(slow, 0, 10), X(1), Y(1), geometry));
    ExpectOnlyMessage("Sampling rate of segment does not match the set.\nSet: 44100. Segment: 22050.", "Insert Segment");
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(MusicSetViewTest, DropAtAnotherSegmentsStartIsRefusedAtItsEndAccepted) {
    AddSegment(*set, 1, 44100, 0, 44100, 1.0, song);  // [1 s, 2 s)
    auto design = test::SongDesign(song, 0, 4410, 130.0);
    EXPECT_FALSE(view.DropSegment(*design, X(1.0), Y(1), geometry));
    ExpectOnlyMessage("Segments can not be overlapping.", "Insert Segment");
    ASSERT_TRUE(view.DropSegment(*design, X(2.0), Y(1), geometry));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{44100, 88200}));
    // Outside the track area, below the last row, or onto the tempo track.
    EXPECT_FALSE(view.DropSegment(*design, 50, Y(2), geometry));
    EXPECT_FALSE(view.DropSegment(*design, X(5.0), 500, geometry));
    EXPECT_FALSE(view.DropSegment(*design, X(5.0), Y(0), geometry));
    ExpectOnlyMessage("Segments can not be inserted into the tempo track.", "Insert Segment");
}

TEST_F(MusicSetViewTest, DropOnASelectedSegmentAsksAndReplacesItInOneUndo) {
    CEvent* old = AddSegment(*set, 2, 44100, 0, 1000, 1.0, song, "Old");
    AddSegment(*set, 2, 46000, 0, 1000, 1.0, song, "Next");
    Click(2, 1.001);
    ASSERT_EQ(view.GetState().GetCurrentEvent(2), old);
    auto before = Bytes(*set);
    auto design = test::SongDesign(song, 0, 1500, 130.0, "New");
    // Cancel: nothing happens.
    EXPECT_FALSE(view.DropSegment(*design, X(9.0), Y(1), geometry));
    ExpectOnlyMessage("Replace segment \"Old\"?", "Insert Segment", MessageIcon::Question, MessageButtons::OkCancel);
    // Too long for the place: refused before anything leaves the set.
    ui.QueueAnswer(MessageAnswer::Ok);
    auto tooLong = test::SongDesign(song, 0, 1901, 130.0, "Long");
    EXPECT_FALSE(view.DropSegment(*tooLong, X(9.0), Y(1), geometry));
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[1].text, "Segments can not be overlapping.");
    ui.ClearLog();
    EXPECT_EQ(Bytes(*set), before);
    // OK: the new segment takes the old one's place and track.
    ui.QueueAnswer(MessageAnswer::Ok);
    ASSERT_TRUE(view.DropSegment(*design, X(9.0), Y(1), geometry));
    EXPECT_STREQ(test::EventAtIndex(*set->GetTrack(2), 0)->GetSegment()->GetName(), "New");
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
    EXPECT_TRUE(view.Undo());
    EXPECT_FALSE(view.CanUndo());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(MusicSetViewTest, InsertSegmentDialogChoices) {
    set->GetTrack(0)->GetEvents().GetHead()->GetItem()->GetTempoChange()->SetTempo(120.0);
    AddSegment(*set, 3, 0, 0, 100000, 1.0, song, "Under");
    auto design = test::SongDesign(song, 0, 44100, 128.0, "Drop");
    auto before = Bytes(*set);

    std::vector<std::string> shown;
    InsertChoice pick = InsertChoice::Resample;
    view.SetInsertSegmentRunner([&](CInsertSegmentDialog& dialog) {
        shown = {dialog.GetSegmentName(), dialog.GetSegmentTempoText(), dialog.GetPositionText(),
                 dialog.GetInsertTempoText()};
        EXPECT_EQ(dialog.GetChoice(), InsertChoice::Resample);  // no mixing helper yet
        EXPECT_FALSE(dialog.IsAvailable(InsertChoice::MixInto));
        EXPECT_EQ(dialog.GetMixLabels(), std::vector<std::string>{"Under - Under title"});
        return dialog.Choose(pick);
    });
    ASSERT_TRUE(view.DropSegment(*design, X(1.0), Y(1), geometry));
    EXPECT_EQ(shown, (std::vector<std::string>{"Drop", "128.00", "44100", "120.00"}));
    CEvent* dropped = test::EventAtIndex(*set->GetTrack(1), 0);
    EXPECT_DOUBLE_EQ(dropped->GetSegment()->GetSegment()->GetRatio(), 128.0 / 120.0);
    EXPECT_EQ(dropped->GetSegment()->GetTempo(), 120.0);
    EXPECT_STREQ(design->GetName(), "Drop");
    EXPECT_EQ(design->GetSegment()->GetRatio(), 1.0);  // the dropped design is untouched
    ASSERT_TRUE(view.Undo());  // the drop and its resampling together
    EXPECT_EQ(Bytes(*set), before);

    pick = InsertChoice::SplitTempo;
    view.TakeRepaintRows();
    ASSERT_TRUE(view.DropSegment(*design, X(1.0), Y(1), geometry));
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 44100}));
    EXPECT_EQ(view.GetState().TempoAt(44099), 120.0);
    EXPECT_EQ(view.GetState().TempoAt(44100), 128.0);
    EXPECT_EQ(view.TakeRepaintRows(), (std::set<int32_t>{0, 1}));
    ASSERT_TRUE(view.Undo());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(MusicSetViewTest, ResamplingThatWouldOverlapIsRefusedAndTheSegmentStays) {
    set->GetTrack(0)->GetEvents().GetHead()->GetItem()->GetTempoChange()->SetTempo(100.0);
    AddSegment(*set, 1, 44100 + 50000, 0, 100, 1.0, song);
    ASSERT_TRUE(view.DropSegment(*test::SongDesign(song, 0, 44100, 130.0), X(1.0), Y(1), geometry));
    ExpectOnlyMessage("Segments can not be overlapping.", "Insert Segment");
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment()->GetSegment()->GetRatio(), 1.0);
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(MusicSetViewTest, MixIntoResamplesAndSplitsTheChosenSegmentAtTheHelpersPoint) {
    CEvent* under = AddSegment(*set, 3, 0, 0, 100000, 1.0, song, "Under");
    std::optional<SegmentAt> helped;
    view.SetMixingHelper([&](const SegmentAt& chosen, const SegmentAt& inserted) -> std::optional<int32_t> {
        helped = chosen;
        EXPECT_EQ(inserted.track, 1);
        return 60000;
    });
    ASSERT_TRUE(view.DropSegment(*test::SongDesign(song, 0, 1000, 130.0), X(1.0), Y(1), geometry));
    ASSERT_TRUE(helped.has_value());
    EXPECT_EQ(helped->event, under);
    EXPECT_EQ(Positions(*set->GetTrack(3)), (std::vector<int32_t>{0, 60000}));
    EXPECT_EQ(view.GetState().GetCurrentEvent(3), under);
    ASSERT_TRUE(view.Undo());
    EXPECT_EQ(set->GetTrack(3)->GetEvents().GetCount(), 1);
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
}

TEST_F(MusicSetViewTest, CutPasteElsewhereAndTwoUndosRestoreTheFirstState) {
    AddSegment(*set, 1, 44100, 0, 1000, 1.0, song);
    auto before = Bytes(*set);
    view.Paste();  // an empty clipboard: nothing is pasted, and the user is told
    ExpectOnlyMessage("The clipboard holds no set section to paste.", "Paste Set Section", MessageIcon::Information);
    Click(1, 1.005);
    view.Cut();
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
    view.GetState().SetLeftMarker(3.0);
    view.GetState().SetSelectedTrack(SetEditorState::kNoTrack);
    view.Paste();
    ExpectOnlyMessage("Select a track before inserting segments", "Insert Segment");
    Click(2, 10.0);  // picks track 2
    view.Paste();
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Positions(*set->GetTrack(2)), (std::vector<int32_t>{132300}));
    view.Paste();
    ExpectOnlyMessage("Segments can not be overlapping.", "Insert Segment");
    ASSERT_TRUE(view.Undo());
    ASSERT_TRUE(view.Undo());
    EXPECT_FALSE(view.CanUndo());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(MusicSetViewTest, EditSegmentHandsOverAndTheReplaceChecksTheNeighbour) {
    CEvent* event = AddSegment(*set, 1, 44100, 22050, 66150, 1.0, song, "Seg");
    AddSegment(*set, 1, 100000, 0, 10, 1.0, song);
    EXPECT_FALSE(view.EditSegment().has_value());
    Click(1, 1.5);
    view.GetState().SetLeftMarker(1.25);
    auto request = view.EditSegment();
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->event, event);
    EXPECT_EQ(request->trackIndex, 1);
    EXPECT_DOUBLE_EQ(request->songTime, 0.5 + 0.25);
    auto design = test::SongDesign(song, 22050, 22050 + 55901, 130.0);  // 44100 + 55901 reaches 100000 + 1
    EXPECT_FALSE(view.ReplaceSegment(*request, *design));
    ExpectOnlyMessage("Unable to replace segment in track. New segment overlaps another segment.", "Insert Segment");
    design->GetSegment()->SetEnd(22050 + 55900);
    EXPECT_TRUE(view.ReplaceSegment(*request, *design));
    set->GetTrack(1)->GetEvents().Remove(set->GetTrack(1)->GetEvents().GetHead());
    EXPECT_FALSE(view.ReplaceSegment(*request, *design));
    ExpectOnlyMessage("Segment no longer exists in track. Segment has been placed on the clipboard.", "Replace Segment",
                      MessageIcon::Exclamation);
}

TEST_F(MusicSetViewTest, SplitAddEffectAndLoopMessages) {
    AddSegment(*set, 2, 44100, 0, 44100, 1.0, song);
    Click(2, 1.5);
    view.GetState().SetLeftMarker(1.0);
    EXPECT_FALSE(view.SplitSegment());
    ExpectOnlyMessage("Left marker must be placed at the point within the segment to split.", "Split Segment");
    view.GetState().SetLeftMarker(2.0);
    EXPECT_FALSE(view.SplitSegment());
    ExpectOnlyMessage("Left marker must be placed at the point within the segment to split.", "Split Segment");
    view.GetState().SetLeftMarker(1.5);
    EXPECT_TRUE(view.SplitSegment());
    EXPECT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 2);

    view.GetState().SetSelectedTrack(0);
    EXPECT_FALSE(view.AddEffect());
    ExpectOnlyMessage("Select the the track to use when adding the effect.", "Add Effect");
    view.GetState().SetSelectedTrack(2);
    view.GetState().SetRightMarker(1.5);
    EXPECT_FALSE(view.AddEffect());
    ExpectOnlyMessage("Place the left marker at the point to start the effect,\nand the right marker at the point to "
                      "stop the effect.",
                      "Add Effect");
    EXPECT_TRUE(view.SetLoop());  // a loop of no length
    EXPECT_TRUE(ui.Messages().empty());
    view.GetState().SetRightMarker(1.0);
    EXPECT_FALSE(view.SetLoop());
    ExpectOnlyMessage("Place left marker at position to start loop, and right marker at the position to end the loop.",
                      "Set Loop");
    view.GetState().SetRightMarker(3.0);
    // The checks pass; with no effects dialog connected nothing is applied.
    EXPECT_FALSE(view.AddEffect());
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(MusicSetViewTest, CommitRetriesTheServerOnceThenSaysSo) {
    AddSegment(*set, 1, 0, 0, 1000, 1.0, song);
    Click(1, 0.001);
    view.Erase();
    int sends = 0;
    bool reachable = false;
    view.SetServerLink([&](const CSetHistory& history) {
        ++sends;
        EXPECT_EQ(history.GetRecords().GetCount(), 1);
        return reachable;
    }, std::chrono::milliseconds(1));
    EXPECT_FALSE(view.CommitChanges());
    EXPECT_EQ(sends, 2);
    ExpectOnlyMessage("Unable to contact Sound Server", "Commit Set");
    EXPECT_TRUE(view.CanUndo());  // the history is untouched
    reachable = true;
    EXPECT_TRUE(view.CommitChanges());
    EXPECT_EQ(sends, 3);
    EXPECT_FALSE(view.CanUndo());
    EXPECT_FALSE(view.CommitChanges());
    EXPECT_FALSE(view.RevertChanges());
}

TEST_F(MusicSetViewTest, CheckSetRowForTrackThreeAt44100SelectsItAndScrollsToOneSecond) {
    AddSegment(*set, 3, 44100, 0, 100, 1.0, "/unknown.wav");
    CheckSetReport report = view.CheckSet();
    EXPECT_EQ(report.title, "Check Set - /sets/demo.set");
    ASSERT_EQ(report.rows.size(), 1u);
    EXPECT_EQ(report.rows[0].songKey, "/unknown.wav");
    EXPECT_EQ(report.rows[0].TrackPosition(), "3/44100");
    EXPECT_EQ(report.rows[0].problem, "No song profile defined.");
    view.GoToCheckRow(report.rows[0]);
    EXPECT_EQ(view.GetState().GetSelectedTrack(), 3);
    EXPECT_DOUBLE_EQ(view.GetViewStartTime(), 1.0);
}

TEST_F(MusicSetViewTest, TempoAndTrackListsOpenOnTheirTracks) {
    auto tempo = view.TempoList();
    ASSERT_TRUE(tempo.has_value());
    EXPECT_EQ(tempo->title, "Tempo");
    EXPECT_EQ(tempo->trackIndex, 0);
    EXPECT_FALSE(view.TrackList().has_value());
    CEvent* event = AddSegment(*set, 2, 0, 0, 1000, 1.0, song);
    Click(2, 0.01);
    auto list = view.TrackList();
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->title, "Track 2");
    EXPECT_EQ(list->track, set->GetTrack(2));
    EXPECT_EQ(list->currentEvent, event);
    EXPECT_EQ(list->history, &view.GetState().GetHistory());
}

TEST_F(MusicSetViewTest, DraggingOntoThePreviousSegmentStopsOneFrameAfterIt) {
    view.DisableAutoAlign();
    AddSegment(*set, 1, 0, 0, 44100, 1.0, song);          // ends at 1 s
    CEvent* b = AddSegment(*set, 1, 88200, 0, 44100, 1.0, song);
    Drag(1, 2.5, 0.2);
    EXPECT_EQ(b->GetPosition(), 44101);
    EXPECT_TRUE(view.Undo());
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(1), 1)->GetPosition(), 88200);
}

TEST_F(MusicSetViewTest, MovesSnapToTheGridLaidFromThePressedTempoEvent) {
    // 120 bpm from 0.3 s: quarter notes every 0.5 s from 0.3 s.
    set->GetTrack(0)->GetEvents().GetHead()->GetItem()->GetTempoChange()->SetTempo(125.0);
    AddTempo(*set, 13230, 120.0);  // 0.3 s
    CEvent* b = AddSegment(*set, 1, 88200, 0, 44100, 1.0, song);  // 2.0 s to 3.0 s
    view.AlignToQuarterNote();
    Click(0, 0.5);  // presses the 120 bpm change
    EXPECT_DOUBLE_EQ(view.GetState().GetSnapGrid().GetOrigin(), 0.3);
    EXPECT_EQ(view.GetState().GetSnapGrid().GetTempo(), 120.0);
    Drag(1, 2.5, 3.03);  // the start would go to 2.53 s: the nearest point is 2.3 s
    EXPECT_EQ(b->GetPosition(), static_cast<int32_t>(2.3 * 44100));
}

TEST_F(MusicSetViewTest, SmallMovesAreIgnoredAndCtrlTogglesTheSelection) {
    view.DisableAutoAlign();
    CEvent* a = AddSegment(*set, 1, 0, 0, 44100, 1.0, song);
    CEvent* b = AddSegment(*set, 1, 88200, 0, 44100, 1.0, song);
    view.MousePress(X(0.5), Y(1), geometry, false);
    view.MouseMove(X(0.5) + 4, Y(1));
    view.MouseRelease(X(0.5) + 4, Y(1));
    EXPECT_EQ(a->GetPosition(), 0);
    EXPECT_FALSE(view.CanUndo());
    Click(1, 2.5, true);
    EXPECT_TRUE(view.GetState().IsSelected(1, a));
    EXPECT_TRUE(view.GetState().IsSelected(1, b));
    EXPECT_EQ(view.GetState().GetCurrentEvent(1), b);
    // Both move together; the first stops at 0.
    Drag(1, 2.5, 1.0);
    EXPECT_EQ(a->GetPosition(), 0);
    EXPECT_EQ(b->GetPosition(), 88200);
    Drag(1, 2.5, 3.0);
    EXPECT_EQ(a->GetPosition(), 22050);
    EXPECT_EQ(b->GetPosition(), 110250);
    Click(1, 3.0, true);  // off again
    EXPECT_FALSE(view.GetState().IsSelected(1, b));
    Click(1, 9.0);  // an empty place clears the selection
    EXPECT_EQ(view.GetState().FirstTrackWithSelection(), SetEditorState::kNoTrack);
}

TEST_F(MusicSetViewTest, EdgeDragsAndTheRepeatDragThroughTheMouse) {
    view.DisableAutoAlign();
    CEvent* a = AddSegment(*set, 1, 44100, 0, 44100, 1.0, song);  // 1 s to 2 s, song of 100000 frames
    Drag(1, 2.0, 5.0);  // the right edge: the song ends at 100000 frames
    EXPECT_EQ(a->GetSegment()->GetSegment()->GetEnd(), 100000);
    Drag(1, 1.0, 0.5);  // the left edge: the source start is 0 already
    EXPECT_EQ(a->GetPosition(), 44100);
    Drag(1, 1.0, 1.5);
    EXPECT_EQ(a->GetPosition(), 66150);
    EXPECT_EQ(a->GetSegment()->GetSegment()->GetStart(), 22050);
    CEvent* c = AddSegment(*set, 3, 0, 0, 22050, 1.0, song);
    Drag(3, 0.5, 1.7, true);  // repeat: copies at 0.5 s + 1 frame and 1 s + 2 frames
    EXPECT_EQ(Positions(*set->GetTrack(3)), (std::vector<int32_t>{0, 22051, 44102, 66153}));
    EXPECT_EQ(c->GetSegment()->GetSegment()->GetEnd(), 22050);
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(MusicSetViewTest, CopyToProfileStoresACopyOfTheCurrentSegmentWithTheSong) {
    CEvent* event = AddSegment(*set, 1, 44100, 1000, 9000, 1.5, song, "Hook");
    EXPECT_FALSE(view.CopyToProfile());  // nothing current: nothing happens
    EXPECT_TRUE(ui.Messages().empty());
    Click(1, 1.05);
    ASSERT_TRUE(view.CopyToProfile());
    RefPtr<CSongProfile> profile = library.Database().GetSong(song);
    ASSERT_EQ(profile->GetSegmentDesigns().GetCount(), 1);
    const CSegmentDesign& stored = *profile->GetSegmentDesigns().GetAt(0);
    EXPECT_STREQ(stored.GetName(), "Hook");
    EXPECT_EQ(stored.GetPositionOffset(), 0);
    EXPECT_EQ(stored.GetSegment()->GetStart(), 1000);
    EXPECT_EQ(stored.GetSegment()->GetRatio(), 1.5);
    EXPECT_NE(&stored, event->GetSegment());
    EXPECT_FALSE(view.CanUndo());  // the set is not changed

    event->GetSegment()->GetSegment()->SetSongKey("/unknown.wav");
    EXPECT_FALSE(view.CopyToProfile());
    ExpectOnlyMessage("Unable to load profile corresponding to this segment!", "Copy To Profile");
}

TEST_F(MusicSetViewTest, TrackChangedNotificationsAndRepaints) {
    std::vector<CTrack*> told;
    view.SetTrackChangedListener([&](CTrack* track) { told.push_back(track); });
    AddSegment(*set, 2, 0, 0, 1000, 1.0, song);
    Click(2, 0.01);
    view.Erase();
    EXPECT_NE(std::find(told.begin(), told.end(), set->GetTrack(2)), told.end());
    view.TakeRepaintRows();
    view.OnTrackChanged(set->GetTrack(3));
    EXPECT_EQ(view.TakeRepaintRows(), std::set<int32_t>{3});
}

}  // namespace
}  // namespace vantor
