#include <gtest/gtest.h>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "model/set_clip.h"
#include "platform/scripted_user_interface.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::AddTempo;
using test::Bytes;
using test::EventAtIndex;
using test::Positions;

constexpr int32_t kRate = 44100;
const char* const kSectionOrder =
    "Right marker is before the left marker.\nPosition left marker at the beginning of the section, and the right "
    "marker at the end of the section.";

// The section and tempo commands of the set editor, run as the menus run
// them, the user scripted. The set has 3 audio tracks and 130 bpm at 0.
class SectionCommandsViewTest : public ::testing::Test {
protected:
    void SetUp() override { test::ClearClipboard(); }
    void TearDown() override { test::ClearClipboard(); }

    void Markers(double left, double right) {
        view.GetState().SetLeftMarker(left);
        view.GetState().SetRightMarker(right);
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
    // One fade through the dialog with the texts typed.
    bool Fade(const std::string& endTempo, const std::string& steps) {
        view.SetFadeTempoRunner([&](CFadeTempoDialog& dialog) {
            shownStart = dialog.GetStartTempoText();
            shownEnd = dialog.GetEndTempoText();
            shownSteps = dialog.GetStepsText();
            dialog.SetEndTempoText(endTempo);
            dialog.SetStepsText(steps);
            return true;
        });
        return view.FadeTempo();
    }

    ScriptedUserInterface ui;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(3);
    CMusicSetView view{ui, nullptr, set.get(), "/sets/sections.set", config};
    std::string shownStart, shownEnd, shownSteps;
};

TEST_F(SectionCommandsViewTest, SplitTempoRefusesBoundariesAndAddsAnUnchangedTempoChange) {
    AddTempo(*set, 2 * kRate, 140.0);
    AddSegment(*set, 1, 0, 0, 10 * kRate);
    const auto before = Bytes(*set);
    Markers(0, 1);
    EXPECT_FALSE(view.SplitTempo());
    ExpectOnlyMessage("Tempo can not be split on a tempo boundary.", "Split Tempo");
    Markers(2, 3);
    EXPECT_FALSE(view.SplitTempo());
    ExpectOnlyMessage("Tempo can not be split on a tempo boundary.", "Split Tempo");
    EXPECT_EQ(Bytes(*set), before);

    Markers(3, 4);
    EXPECT_TRUE(view.SplitTempo());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 2 * kRate, 3 * kRate}));
    EXPECT_DOUBLE_EQ(EventAtIndex(*set->GetTrack(0), 2)->GetTempoChange()->GetTempo(), 140.0);
    EXPECT_TRUE(view.TakeRepaintRows().count(0));
    view.Undo();
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(SectionCommandsViewTest, BlankSpaceFromZeroKeepsTheTempoAtZeroAndOneUndoTakesItBack) {
    AddTempo(*set, kRate, 128.0);
    AddSegment(*set, 1, 0, 0, kRate);
    AddSegment(*set, 1, 2 * kRate, 0, kRate);
    AddSegment(*set, 2, 100, 0, kRate);
    const auto before = Bytes(*set);
    Markers(0, 1);
    EXPECT_TRUE(view.InsertBlankSpace());
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 2 * kRate}));
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{kRate, 3 * kRate}));
    EXPECT_EQ(Positions(*set->GetTrack(2)), (std::vector<int32_t>{kRate + 100}));
    EXPECT_TRUE(test::TimelineIsSound(*set));
    view.Undo();
    EXPECT_EQ(Bytes(*set), before);

    // A right marker before the left one would move events to the left.
    Markers(2, 1);
    EXPECT_FALSE(view.InsertBlankSpace());
    ExpectOnlyMessage(kSectionOrder, "Copy Section");
    EXPECT_EQ(Bytes(*set), before);
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(SectionCommandsViewTest, EraseOverASpanningSegmentLeavesHeadAndTailAndOneUndoRestoresIt) {
    AddSegment(*set, 1, 0, 0, 10 * kRate);
    AddSegment(*set, 2, 3 * kRate, 0, kRate);  // inside the section
    AddSegment(*set, 3, 5 * kRate, 0, 2 * kRate);  // starts inside, ends after it
    AddTempo(*set, 3 * kRate, 120.0);
    const auto before = Bytes(*set);
    Markers(2, 4);
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(view.EraseSection());
    ExpectOnlyMessage("Shift successive events to the left?", "Clear Set Section", MessageIcon::Question,
                      MessageButtons::YesNo);
    const CTrack& one = *set->GetTrack(1);
    ASSERT_EQ(one.GetEvents().GetCount(), 2);
    const CEvent& head = *EventAtIndex(one, 0);
    const CEvent& tail = *EventAtIndex(one, 1);
    EXPECT_EQ(head.GetPosition(), 0);
    EXPECT_LT(head.GetPosition() + head.GetSegment()->GetSegment()->GetTimelineLength(), 2 * kRate);
    EXPECT_EQ(tail.GetPosition(), 4 * kRate);
    EXPECT_EQ(tail.GetSegment()->GetSegment()->GetStart(), 4 * kRate);
    EXPECT_EQ(tail.GetSegment()->GetSegment()->GetEnd(), 10 * kRate);
    EXPECT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 0);
    EXPECT_EQ(Positions(*set->GetTrack(3)), (std::vector<int32_t>{5 * kRate}));
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0}));
    EXPECT_TRUE(test::TimelineIsSound(*set));
    EXPECT_TRUE(view.Undo());
    EXPECT_EQ(Bytes(*set), before);
    EXPECT_FALSE(view.CanUndo());

    // Yes closes the gap: everything after the section moves left by it.
    ui.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(view.EraseSection());
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{0, 2 * kRate}));
    EXPECT_EQ(Positions(*set->GetTrack(3)), (std::vector<int32_t>{3 * kRate}));
    EXPECT_TRUE(test::TimelineIsSound(*set));
    view.Undo();
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(SectionCommandsViewTest, EraseFromZeroKeepsTheTempoAtZeroAndRefusesReversedMarkers) {
    AddTempo(*set, kRate, 128.0);
    AddSegment(*set, 1, 3 * kRate, 0, kRate);
    const auto before = Bytes(*set);
    Markers(2, 2);
    EXPECT_FALSE(view.EraseSection());
    ExpectOnlyMessage(kSectionOrder, "Copy Section");
    EXPECT_EQ(Bytes(*set), before);
    EXPECT_FALSE(view.CanUndo());

    Markers(0, 2);
    ui.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(view.EraseSection());
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0}));
    EXPECT_DOUBLE_EQ(EventAtIndex(*set->GetTrack(0), 0)->GetTempoChange()->GetTempo(), 130.0);
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{kRate}));
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(SectionCommandsViewTest, CopyAndPasteSectionReproducesTheSectionShiftedAndTrimmed) {
    AddSegment(*set, 1, 0, 0, 4 * kRate, 1.0, "a.wav", "A");            // starts before, ends inside
    AddSegment(*set, 2, 2 * kRate, 0, kRate, 2.0, "b.wav", "B");        // inside, ratio 2
    AddSegment(*set, 3, kRate / 2, 0, 10 * kRate, 1.0, "c.wav", "C");  // spans the section
    Markers(1, 5);
    EXPECT_TRUE(view.CopySection());
    ASSERT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(view.CanUndo());
    CSetClip clip;
    ASSERT_TRUE(ReadFromClipboard(kSetClipFormat, clip));
    ASSERT_EQ(clip.GetCount(), 3);
    EXPECT_EQ(clip.GetArray(0)->GetAt(0)->GetSegment()->GetStart(), kRate);
    EXPECT_EQ(clip.GetArray(0)->GetAt(0)->GetPositionOffset(), 0);
    EXPECT_EQ(clip.GetArray(1)->GetAt(0)->GetPositionOffset(), kRate);
    EXPECT_EQ(clip.GetArray(2)->GetAt(0)->GetSegment()->GetStart(), kRate / 2);
    EXPECT_EQ(clip.GetArray(2)->GetAt(0)->GetSegment()->GetEnd(), 10 * kRate - 5 * kRate - kRate / 2);

    // Pasted at 20 s the same section lies 19 s later, trimmed to [20, 24).
    Markers(20, 21);
    view.Paste();  // no segment design on the clipboard: Paste Section
    EXPECT_TRUE(ui.Messages().empty());
    const CEvent& a = *EventAtIndex(*set->GetTrack(1), 1);
    const CEvent& b = *EventAtIndex(*set->GetTrack(2), 1);
    const CEvent& c = *EventAtIndex(*set->GetTrack(3), 1);
    EXPECT_EQ(a.GetPosition(), 20 * kRate);
    EXPECT_EQ(a.GetSegment()->GetSegment()->GetTimelineLength(), 3 * kRate);
    EXPECT_EQ(b.GetPosition(), 21 * kRate);
    EXPECT_EQ(b.GetSegment()->GetSegment()->GetTimelineLength(), 2 * kRate);
    EXPECT_EQ(c.GetPosition(), 20 * kRate);
    EXPECT_EQ(c.GetSegment()->GetSegment()->GetTimelineLength(), 4 * kRate);
    EXPECT_TRUE(test::TimelineIsSound(*set));
    // Undo right after the paste removes every pasted segment at once.
    view.Undo();
    for (int32_t t = 1; t <= 3; ++t) EXPECT_EQ(set->GetTrack(t)->GetEvents().GetCount(), 1);
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(SectionCommandsViewTest, PasteOfThreeTracksIntoTwoWarnsAndNoEndsThePasteInOneGroup) {
    RefPtr<CMusicSet> small = test::NewSet(2);
    CMusicSetView two{ui, nullptr, small.get(), "/sets/two.set", config};
    CSetClip clip;
    clip.SetCount(3);
    for (int32_t k = 0; k < 3; ++k)
        for (int32_t i = 0; i < 2; ++i) {
            auto design = test::SongDesign("s.wav", 0, kRate);
            design->SetPositionOffset(i * 2 * kRate);
            clip.GetArray(k)->Add(design.get());
        }
    ASSERT_TRUE(PutOnClipboard(clip, kSetClipFormat));
    EXPECT_TRUE(two.PasteSection());
    ExpectOnlyMessage("Set section contains more tracks than the target set.", "Paste Set Section",
                      MessageIcon::Exclamation);
    EXPECT_EQ(Positions(*small->GetTrack(1)), (std::vector<int32_t>{0, 2 * kRate}));
    EXPECT_EQ(Positions(*small->GetTrack(2)), (std::vector<int32_t>{0, 2 * kRate}));

    // Pasted again at 3 s the second segment of track 1 meets one at 5.5 s:
    // No ends the paste, and one Undo takes back this paste and no more.
    AddSegment(*small, 1, static_cast<int32_t>(5.5 * kRate), 0, kRate);
    two.GetState().SetLeftMarker(3);
    const auto before = Bytes(*small);
    const int32_t records = two.GetState().GetHistory().GetRecords().GetCount();
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(two.PasteSection());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to insert segment. Another segment\nis already occupying that region. Continue?");
    EXPECT_EQ(ui.Messages()[0].caption, "Insert Set Section");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::YesNo);
    ui.ClearLog();
    EXPECT_EQ(Positions(*small->GetTrack(1)),
              (std::vector<int32_t>{0, 2 * kRate, 3 * kRate, static_cast<int32_t>(5.5 * kRate)}));
    EXPECT_EQ(Positions(*small->GetTrack(2)), (std::vector<int32_t>{0, 2 * kRate}));
    EXPECT_EQ(two.GetState().GetHistory().GetGroupDepth(), 0);
    two.Undo();
    EXPECT_EQ(Bytes(*small), before);
    EXPECT_EQ(two.GetState().GetHistory().GetRecords().GetCount(), records);
}

TEST_F(SectionCommandsViewTest, PasteSectionWithoutASetClipSaysSoAndChangesNothing) {
    const auto before = Bytes(*set);
    view.GetState().SetSelectedTrack(1);
    EXPECT_FALSE(view.PasteSection());
    ExpectOnlyMessage("The clipboard holds no set section to paste.", "Paste Set Section", MessageIcon::Information);
    EXPECT_EQ(Bytes(*set), before);
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(SectionCommandsViewTest, FadeTempoOverTenSecondsInTenStepsGivesElevenChangesOneSecondApart) {
    AddSegment(*set, 1, 0, 0, 30 * kRate, 1.0, "long.wav", "Long", 120.0);
    EventAtIndex(*set->GetTrack(0), 0)->GetTempoChange()->SetTempo(120.0);
    Markers(10, 20);
    EXPECT_TRUE(Fade("130", "10"));
    EXPECT_EQ(shownStart, "120.000");
    EXPECT_EQ(shownEnd, "120.000");
    EXPECT_EQ(shownSteps, "10");
    EXPECT_TRUE(ui.Messages().empty());
    const CTrack& tempo = *set->GetTrack(0);
    ASSERT_EQ(tempo.GetEvents().GetCount(), 12);
    for (int k = 0; k <= 10; ++k) {
        const CEvent& change = *EventAtIndex(tempo, k + 1);
        EXPECT_EQ(change.GetPosition(), 10 * kRate + k * kRate);
        EXPECT_NEAR(change.GetTempoChange()->GetTempo(), 120.0 + k, 1e-9);
    }
    // The segment is split at every step and each part plays at its tempo.
    const CTrack& one = *set->GetTrack(1);
    EXPECT_EQ(one.GetEvents().GetCount(), 12);
    EXPECT_DOUBLE_EQ(EventAtIndex(one, 11)->GetSegment()->GetTempo(), 130.0);
    EXPECT_NEAR(EventAtIndex(one, 11)->GetSegment()->GetSegment()->GetRatio(), 120.0 / 130.0, 1e-9);
    EXPECT_TRUE(test::TimelineIsSound(*set));
    EXPECT_EQ(view.GetState().GetHistory().GetGroupDepth(), 0);
    view.Undo();
    EXPECT_FALSE(view.CanUndo());
    EXPECT_EQ(tempo.GetEvents().GetCount(), 1);
    EXPECT_EQ(one.GetEvents().GetCount(), 1);
}

TEST_F(SectionCommandsViewTest, FadeTempoRefusesEveryBadInputWithTheDialogsMessages) {
    AddSegment(*set, 1, 0, 0, 30 * kRate);
    const auto before = Bytes(*set);
    Markers(5, 5);
    EXPECT_FALSE(Fade("140", "10"));
    ExpectOnlyMessage("Before selecting this option, position the left marker where the tempo fade should begin and "
                      "place the right marker where tempo fade should stop.",
                      "Fade Tempo");
    Markers(40, 50);  // beyond the end of the set: no tempo covers it
    EXPECT_FALSE(Fade("140", "10"));
    ExpectOnlyMessage("No segments intersecting the left cursor.", "Fade Tempo");

    Markers(5, 10);
    for (const char* steps : {"0", "0.5", "-3", "2.5", "", "ten", "inf"}) {
        EXPECT_FALSE(Fade("140", steps));
        ExpectOnlyMessage("Invalid number of steps", "Fade Tempo");
    }
    for (const char* tempo : {"0", "-120", "nan", "inf", "", "fast"}) {
        EXPECT_FALSE(Fade(tempo, "10"));
        ExpectOnlyMessage("Invalid end tempo.", "Fade Tempo");
    }
    // Ten frames between the markers cannot hold twenty steps.
    Markers(5, 5 + 10.0 / kRate + 1e-9);
    EXPECT_FALSE(Fade("140", "20"));
    ExpectOnlyMessage("Invalid number of steps", "Fade Tempo");
    // A cancelled dialog changes nothing.
    Markers(5, 10);
    view.SetFadeTempoRunner([](CFadeTempoDialog&) { return false; });
    EXPECT_FALSE(view.FadeTempo());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Bytes(*set), before);
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(SectionCommandsViewTest, FadeTempoKeepsTheSetSoundWhereStepsMeetNoSegment) {
    // Gaps at most steps, close neighbours, a tempo change just after the fade.
    AddSegment(*set, 1, 0, 0, 3 * kRate, 1.0, "a.wav", "A", 125.0);
    AddSegment(*set, 1, 6 * kRate + 7, 0, kRate, 1.3, "b.wav", "B", 128.0);
    AddSegment(*set, 1, 6 * kRate + 7 + static_cast<int32_t>(kRate * 1.3), 0, 3 * kRate, 1.0, "c.wav", "C", 140.0);
    AddSegment(*set, 2, 9 * kRate, 0, 9 * kRate, 0.9, "d.wav", "D", 90.0);
    AddTempo(*set, 8 * kRate + 1, 100.0);
    AddTempo(*set, 8 * kRate + 2, 101.0);
    const auto before = Bytes(*set);
    Markers(2, 8);
    EXPECT_TRUE(Fade("90", "7"));
    EXPECT_TRUE(test::TimelineIsSound(*set));
    const std::vector<int32_t> tempo = Positions(*set->GetTrack(0));
    ASSERT_EQ(tempo.size(), 1u + 8u + 2u);
    EXPECT_GT(tempo[9], 8 * kRate);  // the later changes stay after the fade
    view.Undo();
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(SectionCommandsViewTest, AdjustToTempoResamplesSelectedSegmentsAndRefusesZeroTempoAndOverlaps) {
    CEvent* first = AddSegment(*set, 1, 0, 0, kRate, 1.0, "a.wav", "A", 120.0);
    CEvent* second = AddSegment(*set, 2, 0, 0, kRate, 1.0, "b.wav", "B", 140.0);
    view.GetState().SelectOnly(1, first);
    view.GetState().ToggleSelected(2, second);
    EXPECT_TRUE(view.AdjustToTempo());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_DOUBLE_EQ(first->GetSegment()->GetSegment()->GetRatio(), 120.0 / 130.0);
    EXPECT_DOUBLE_EQ(second->GetSegment()->GetTempo(), 130.0);
    EXPECT_EQ(view.GetState().GetHistory().GetRecords().GetCount(), 2);  // one Undo each
    view.Undo();
    view.Undo();
    EXPECT_FALSE(view.CanUndo());

    // A segment made longer may not run into the next one.
    CEvent* slow = AddSegment(*set, 3, 0, 0, kRate, 1.0, "c.wav", "C", 140.0);
    AddSegment(*set, 3, kRate + 10, 0, kRate);
    const auto before = Bytes(*set);
    view.GetState().SelectOnly(1, EventAtIndex(*set->GetTrack(1), 0));
    view.GetState().ToggleSelected(3, slow);
    EXPECT_FALSE(view.AdjustToTempo());
    ExpectOnlyMessage("The segment \"C\" would overlap the segment after it.", "Adjust to Tempo");
    EXPECT_EQ(Bytes(*set), before);

    // A tempo of 0 read from a damaged set is refused, nothing changed.
    EventAtIndex(*set->GetTrack(0), 0)->GetTempoChange()->SetTempo(0.0);
    EXPECT_FALSE(view.AdjustToTempo());
    ExpectOnlyMessage("Segments can not be adjusted to a tempo of 0.", "Adjust to Tempo");
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(SectionCommandsViewTest, AdjustAllAdjustsTheSegmentsUnderTheCurrentTempoChange) {
    CEvent* change = AddTempo(*set, 10 * kRate, 120.0);
    AddTempo(*set, 20 * kRate, 125.0);
    CEvent* before = AddSegment(*set, 1, 0, 0, kRate, 1.0, "a.wav", "A", 130.0);
    CEvent* inside = AddSegment(*set, 1, 12 * kRate, 0, kRate, 1.0, "b.wav", "B", 130.0);
    CEvent* after = AddSegment(*set, 2, 21 * kRate, 0, kRate, 1.0, "c.wav", "C", 130.0);
    view.GetState().SelectOnly(0, change);
    EXPECT_TRUE(view.AdjustAll());
    EXPECT_DOUBLE_EQ(inside->GetSegment()->GetTempo(), 120.0);
    EXPECT_DOUBLE_EQ(inside->GetSegment()->GetSegment()->GetRatio(), 130.0 / 120.0);
    EXPECT_DOUBLE_EQ(before->GetSegment()->GetTempo(), 130.0);
    EXPECT_DOUBLE_EQ(after->GetSegment()->GetTempo(), 130.0);
    EXPECT_EQ(view.GetState().GetCurrentEvent(0), change);
}

TEST_F(SectionCommandsViewTest, SpeedNudgesChangeRatiosOrTheRecordedTempoAndRefuseRatioAndTempoZero) {
    CEvent* segment = AddSegment(*set, 1, 0, 0, kRate, 1.0);
    view.GetState().SelectOnly(1, segment);
    EXPECT_TRUE(view.NudgeSpeed(7));
    EXPECT_TRUE(view.NudgeSpeed(0));
    EXPECT_TRUE(view.NudgeSpeed(6));
    EXPECT_NEAR(segment->GetSegment()->GetSegment()->GetRatio(), 1.001, 1e-12);
    EXPECT_EQ(view.GetState().GetHistory().GetRecords().GetCount(), 3);
    EXPECT_FALSE(view.NudgeSpeed(8));

    segment->GetSegment()->GetSegment()->SetRatio(0.25);
    const auto before = Bytes(*set);
    EXPECT_FALSE(view.NudgeSpeed(0));
    ExpectOnlyMessage("The segment \"Seg\" can not play at a ratio of 0.24000; ratios lie between 0.25 and 4.",
                      "Speed Nudge");
    EXPECT_EQ(Bytes(*set), before);

    // With only a tempo change current the tempo moves, in the history.
    view.RevertChanges();
    CEvent* tempo = EventAtIndex(*set->GetTrack(0), 0);
    view.GetState().SelectOnly(0, tempo);
    const auto unnudged = Bytes(*set);
    EXPECT_TRUE(view.NudgeSpeed(7));
    EXPECT_TRUE(view.NudgeSpeed(4));
    EXPECT_NEAR(view.GetTempoDisplay(), 131.001, 1e-9);
    EXPECT_EQ(view.GetState().GetHistory().GetRecords().GetCount(), 2);
    view.RevertChanges();
    EXPECT_EQ(Bytes(*set), unnudged);

    tempo = EventAtIndex(*set->GetTrack(0), 0);
    tempo->GetTempoChange()->SetTempo(0.5);
    view.GetState().SelectOnly(0, tempo);
    EXPECT_FALSE(view.NudgeSpeed(0));
    ExpectOnlyMessage("The tempo can not fall to 0.", "Speed Nudge");
    EXPECT_DOUBLE_EQ(tempo->GetTempoChange()->GetTempo(), 0.5);

    // Nothing selected: nothing happens.
    view.GetState().ClearSelections();
    EXPECT_TRUE(view.NudgeSpeed(7));
    EXPECT_FALSE(view.CanUndo());
}

}  // namespace
}  // namespace vantor
