#include <gtest/gtest.h>

#include "editing/editing_fixtures.h"
#include "platform/scripted_user_interface.h"
#include "views/event_editor_view.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::AddTempo;
using test::Bytes;
using test::Positions;

class EventEditorViewTest : public ::testing::Test {
protected:
    EventEditorParameters Parameters(int32_t track, CEvent* current = nullptr) {
        return {track == 0 ? "Tempo" : "Track " + std::to_string(track), set->GetTrack(track), track, current, history.get()};
    }
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> cells;
        for (const auto& row : editor.GetRows()) cells.push_back(row.cells[static_cast<size_t>(column)]);
        return cells;
    }
    void ExpectOnlyMessage(const std::string& text, const std::string& caption) {
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].text, text);
        EXPECT_EQ(ui.Messages()[0].caption, caption);
        EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
        ui.ClearLog();
    }

    test::SongLibrary library;
    ScriptedUserInterface ui;
    RefPtr<CMusicSet> set = test::NewSet(2);
    // The editor takes a reference on the history, as on every counted object.
    RefPtr<CSetHistory> history = MakeRef<CSetHistory>(set.get());
    CEventEditorView editor{ui, &library.Database(), 4};
    std::vector<CTrack*> told;

    void SetUp() override { editor.SetTrackChangedListener([this](CTrack* track) { told.push_back(track); }); }
};

TEST_F(EventEditorViewTest, TheFirstEventDecidesTheMode) {
    ASSERT_TRUE(editor.Open(Parameters(0)));
    EXPECT_EQ(editor.GetTitle(), "Event Editor - Tempo");
    EXPECT_TRUE(editor.IsTempoMode());
    ASSERT_EQ(editor.GetColumns().size(), 2u);
    EXPECT_EQ(editor.GetColumns()[0].name, "Start");
    EXPECT_EQ(editor.GetColumns()[0].widthPercent, 20);
    EXPECT_EQ(editor.GetColumns()[1].name, "Tempo");
    EXPECT_EQ(editor.GetColumns()[1].widthPercent, 30);
    EXPECT_EQ(editor.GetValueLabel(), "Tempo:");
    EXPECT_FALSE(editor.ShowsEndAndName());
    EXPECT_EQ(Column(1), std::vector<std::string>{"130.00000"});

    ASSERT_TRUE(editor.Open(Parameters(2)));  // an empty audio track
    EXPECT_FALSE(editor.IsTempoMode());
    EXPECT_EQ(editor.GetTitle(), "Event Editor - Track 2");
    ASSERT_EQ(editor.GetColumns().size(), 4u);
    EXPECT_EQ(editor.GetColumns()[2].name, "Name");
    EXPECT_EQ(editor.GetColumns()[3].name, "Song Title");
    EXPECT_EQ(editor.GetColumns()[3].widthPercent, 30);
    EXPECT_TRUE(editor.GetRows().empty());
    EXPECT_FALSE(editor.Open({"x", nullptr, 1, nullptr, history.get()}));
}

TEST_F(EventEditorViewTest, RowsShowTimelineEndsAndTheFieldsTheSourceLength) {
    std::string key = library.AddSong("Night Drive", 100000);
    CEvent* event = AddSegment(*set, 1, 1000, 100, 600, 2.0, key, "Intro");
    ASSERT_TRUE(editor.Open(Parameters(1, event)));
    ASSERT_EQ(editor.GetRows().size(), 1u);
    EXPECT_EQ(editor.GetRows()[0].cells, (std::vector<std::string>{"1000", "2000", "Intro", "Night Drive"}));
    EXPECT_EQ(editor.GetSelectedRow(), 0);
    EXPECT_EQ(editor.GetStartField(), "1000");
    EXPECT_EQ(editor.GetEndField(), "1500");
    EXPECT_EQ(editor.GetNameField(), "Intro");
    EXPECT_EQ(editor.GetSongTitleField(), "Night Drive");
}

TEST_F(EventEditorViewTest, ScrollingStaysWithinTheEvents) {
    std::vector<CEvent*> events;
    for (int i = 0; i < 10; ++i) events.push_back(AddSegment(*set, 1, i * 100, 0, 10));
    ASSERT_TRUE(editor.Open(Parameters(1, events[8])));
    EXPECT_EQ(editor.GetScrollLimit(), 6);
    EXPECT_EQ(editor.GetTopRow(), 6);  // the current event's row, moved back so the window is full
    EXPECT_EQ(editor.GetSelectedRow(), 2);
    editor.ScrollTop();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"0", "100", "200", "300"}));
    EXPECT_EQ(editor.GetSelectedRow(), -1);  // scrolled out of sight
    editor.LineUp();
    EXPECT_EQ(editor.GetTopRow(), 0);
    editor.LineDown();
    editor.PageDown();
    EXPECT_EQ(editor.GetTopRow(), 5);
    editor.PageDown();
    EXPECT_EQ(editor.GetTopRow(), 6);
    editor.ThumbTrack(-3);
    EXPECT_EQ(editor.GetTopRow(), 0);
    editor.ScrollBottom();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"600", "700", "800", "900"}));
    EXPECT_EQ(editor.GetSelectedRow(), 2);
}

TEST_F(EventEditorViewTest, UpdateEventInSegmentMode) {
    std::string key = library.AddSong("Song", 44100);
    AddSegment(*set, 1, 0, 0, 1000, 1.0, key, "First");
    CEvent* second = AddSegment(*set, 1, 5000, 0, 1000, 1.0, key, "Second");
    ASSERT_TRUE(editor.Open(Parameters(1, second)));
    editor.UpdateEvent();  // unchanged fields: accepted as they are
    EXPECT_EQ(history->GetRecords().GetCount(), 1);
    editor.SetStartField("1000");
    editor.SetEndField("3000");
    editor.UpdateEvent();
    ExpectOnlyMessage("Start position overlaps with previous event.\nPrevious event ends at 1000.", "Update Event");
    editor.SetStartField("2000 frames");  // no number: 0
    editor.UpdateEvent();
    ExpectOnlyMessage("Start position overlaps with previous event.\nPrevious event ends at 1000.", "Update Event");
    editor.SetStartField("1001");
    editor.SetEndField("1001");
    editor.UpdateEvent();
    ExpectOnlyMessage("End position must be after the start position.", "Update Event");
    editor.SetEndField("46102");
    editor.UpdateEvent();
    ExpectOnlyMessage("Segment is too long for underlying wave file.\nMaximum length is 44100.", "Update Event");
    editor.SetEndField("3001");
    editor.SetNameField("Moved");
    told.clear();
    editor.UpdateEvent();
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(second->GetPosition(), 1001);
    EXPECT_EQ(second->GetSegment()->GetSegment()->GetEnd(), 2000);
    EXPECT_STREQ(second->GetSegment()->GetName(), "Moved");
    EXPECT_EQ(told, std::vector<CTrack*>{set->GetTrack(1)});
    EXPECT_EQ(Column(0), (std::vector<std::string>{"0", "1001"}));
    EXPECT_EQ(editor.GetSelectedRow(), 1);
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(EventEditorViewTest, UpdateEventInTempoModeMovesTheRowToItsPlace) {
    AddTempo(*set, 1000, 120.0);
    CEvent* b = AddTempo(*set, 2000, 125.0);
    AddTempo(*set, 3000, 128.0);
    CEvent* head = set->GetTrack(0)->GetEvents().GetHead()->GetItem();
    ASSERT_TRUE(editor.Open(Parameters(0, head)));
    editor.SetStartField("5");
    editor.UpdateEvent();
    ExpectOnlyMessage("Tempo change at position 0 can not be moved.", "Modify Event");
    editor.SetStartField("0");
    editor.SetTempoField("128");
    editor.UpdateEvent();
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(head->GetTempoChange()->GetTempo(), 128.0);
    for (const char* tempo : {"99.9", "150.1", "fast"}) {
        editor.SetTempoField(tempo);
        editor.UpdateEvent();
        ExpectOnlyMessage("Tempo must be between 100 and 150 bpm.", "Update Event");
    }
    editor.SelectRow(2);
    ASSERT_EQ(editor.GetSelectedEvent(), b);
    EXPECT_EQ(editor.GetTempoField(), "125.00000");
    editor.SetStartField("1000");
    editor.UpdateEvent();
    ExpectOnlyMessage("Start position overlaps with previous event.\nPrevious event starts at 1000.", "Update Event");
    editor.SetStartField("3500");
    editor.SetTempoField("150");
    editor.UpdateEvent();
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Column(0), (std::vector<std::string>{"0", "1000", "3000", "3500"}));
    EXPECT_EQ(editor.GetSelectedRow(), 3);
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(EventEditorViewTest, DeleteKeepsTheRowIndexAndSparesTheHeadTempoChange) {
    for (int i = 0; i < 3; ++i) AddSegment(*set, 1, i * 100, 0, 10);
    ASSERT_TRUE(editor.Open(Parameters(1)));
    editor.DeleteEvent();  // nothing selected
    EXPECT_FALSE(history->HasRecords());
    editor.SelectRow(1);
    editor.DeleteEvent();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"0", "200"}));
    EXPECT_EQ(editor.GetSelectedRow(), 1);
    editor.DeleteEvent();
    EXPECT_EQ(editor.GetSelectedRow(), 0);
    ASSERT_TRUE(editor.Open(Parameters(0, set->GetTrack(0)->GetEvents().GetHead()->GetItem())));
    editor.DeleteEvent();
    ExpectOnlyMessage("Tempo change at position 0 can not be deleted.", "Delete Event");
}

TEST_F(EventEditorViewTest, ClearTrackAsksThenKeepsOnlyTheHeadTempoChange) {
    AddTempo(*set, 1000, 120.0);
    AddTempo(*set, 2000, 125.0);
    auto before = Bytes(*set);
    ASSERT_TRUE(editor.Open(Parameters(0)));
    editor.ClearTrack();  // unanswered: No
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Are you sure?");
    EXPECT_EQ(ui.Messages()[0].caption, "Clear Track");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(set->GetTrack(0)->GetEvents().GetCount(), 3);
    ui.QueueAnswer(MessageAnswer::Yes);
    editor.ClearTrack();
    EXPECT_EQ(Positions(*set->GetTrack(0)), std::vector<int32_t>{0});
    EXPECT_EQ(editor.GetRows().size(), 1u);
    EXPECT_EQ(told, std::vector<CTrack*>{set->GetTrack(0)});
    history->Undo();
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(EventEditorViewTest, RefillsOnFocusAndOnNotificationsForItsTrack) {
    AddSegment(*set, 1, 0, 0, 10);
    ASSERT_TRUE(editor.Open(Parameters(1)));
    AddSegment(*set, 1, 100, 0, 10);
    editor.OnTrackChanged(set->GetTrack(2));
    EXPECT_EQ(editor.GetRows().size(), 1u);
    editor.OnTrackChanged(set->GetTrack(1));
    EXPECT_EQ(editor.GetRows().size(), 2u);
    AddSegment(*set, 1, 200, 0, 10);
    editor.OnFocus();
    EXPECT_EQ(editor.GetRows().size(), 3u);
    editor.Close();
    EXPECT_TRUE(editor.GetRows().empty());
    EXPECT_FALSE(editor.IsOpen());
}

TEST(EventEditorFieldsTest, NonNumericTextReadsAsZero) {
    EXPECT_EQ(CEventEditorView::ParseWhole(" 42 "), 42);
    EXPECT_EQ(CEventEditorView::ParseWhole("4x"), 0);
    EXPECT_EQ(CEventEditorView::ParseWhole("-5"), 0);
    EXPECT_EQ(CEventEditorView::ParseWhole(""), 0);
    EXPECT_EQ(CEventEditorView::ParseWhole("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(CEventEditorView::ParseReal("128.5"), 128.5);
    EXPECT_EQ(CEventEditorView::ParseReal("nan"), 0.0);
    EXPECT_EQ(CEventEditorView::ParseReal("12 bpm"), 0.0);
}

}  // namespace
}  // namespace vantor
