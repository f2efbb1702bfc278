#include "views/segment_designer_view.h"

#include <gtest/gtest.h>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "engine/effect_manager_impl.h"
#include "linear_effect.h"
#include "platform/scripted_user_interface.h"
#include "views/single_segment_editor_view.h"

namespace vantor {
namespace {

using Strings = std::vector<std::string>;
constexpr int32_t kRate = 44100;

// A ten-second song with one stored design, the "Volume" / "Level" and
// "Echo" effect types registered, the user scripted.
class SegmentDesignerViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        effects.RegisterEffect(new test::LinearEffect("Volume", {"Level"}));
        effects.RegisterEffect(new test::LinearEffect("Echo", {"Decay", "Delay"}));
        key = library.AddSong("Song", 10 * kRate, kRate, 126.0);
        RefPtr<CSongProfile> song = library.Database().GetSong(key);
        song->SetArtist("Artist");
        song->GetSegmentDesigns().Add(test::SongDesign(key, 0, kRate, 126.0, "Intro").get());
        ASSERT_TRUE(library.Database().PutSong(*song));
    }
    void ExpectOnlyMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
        ASSERT_EQ(ui.Messages().size(), 1u) << (ui.Messages().empty() ? "" : ui.Messages().back().text);
        EXPECT_EQ(ui.Messages()[0].text, text);
        EXPECT_EQ(ui.Messages()[0].caption, caption);
        EXPECT_EQ(ui.Messages()[0].icon, icon);
        ui.ClearLog();
    }
    Strings StoredNames() {
        CMusicDatabase reread;
        EXPECT_TRUE(reread.Open(library.Dir().Path() + "/", StoreAccess::ReadOnly));
        Strings names;
        const auto& designs = reread.GetSong(key)->GetSegmentDesigns();
        for (int32_t i = 0; i < designs.GetCount(); ++i) names.emplace_back(designs.GetAt(i)->GetName());
        return names;
    }

    test::SongLibrary library;
    std::string key;
    CEffectManagerImpl effects;
    ScriptedUserInterface ui;
    CConfiguration config;
};

TEST_F(SegmentDesignerViewTest, AddSegmentBuildsTheDesignFromTheControlsAndRefusesBadOnes) {
    CSegmentDesignerView designer(ui, library.Database(), config, &effects);
    EXPECT_EQ(designer.GetTitle(), "Segment Designer");
    ASSERT_TRUE(designer.Open(library.Database().GetSong(key)));
    EXPECT_EQ(designer.GetTitle(), "Segment Designer - Song (Artist)");
    EXPECT_EQ(designer.GetSegmentNames(), (Strings{"Intro"}));

    designer.SetSelection(1.0, 2.0);
    designer.SetTempo(128.0);
    EXPECT_FALSE(designer.AddSegment());
    ExpectOnlyMessage("Segment must be given a name.", "Add Segment", MessageIcon::Exclamation);
    designer.SetName("Break");
    for (const char* bad : {"0", "-0.5", "nan", "inf", "", "abc", "1.0x"}) {
        designer.SetResamplingText(bad);
        EXPECT_FALSE(designer.AddSegment()) << bad;
        ExpectOnlyMessage("Resampling must be a number above 0 (1.0 plays the song as recorded).", "Add Segment",
                          MessageIcon::Exclamation);
    }
    // At 0.8 the 10 s song plays 8 s: a selection to 9 s reads past its end.
    designer.SetResamplingText("0.8");
    designer.SetSelection(7.0, 2.0);
    EXPECT_FALSE(designer.AddSegment());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].caption, "Add Segment");
    ui.ClearLog();
    EXPECT_EQ(designer.GetSegmentNames(), (Strings{"Intro"}));

    designer.SetSelection(1.0, 2.0);
    designer.SetTempo(0.0);
    EXPECT_FALSE(designer.AddSegment());
    ExpectOnlyMessage("The tempo must be a number of beats per minute above 0.", "Add Segment",
                      MessageIcon::Exclamation);
    designer.SetTempo(128.0);
    ASSERT_TRUE(designer.AddEffect("Volume", "Level"));
    ASSERT_TRUE(designer.AddSegment());
    EXPECT_EQ(designer.GetSegmentNames(), (Strings{"Intro", "Break"}));
    EXPECT_EQ(designer.GetSelectedSegment(), 1);
    const CSegmentDesign& made = *designer.GetSegment(1);
    EXPECT_EQ(made.GetTempo(), 128.0);
    const CSegment& segment = *made.GetSegment();
    EXPECT_EQ(std::string(segment.GetSongKey()), key);
    EXPECT_STREQ(segment.GetSongTitle(), "Break");
    EXPECT_EQ(segment.GetRatio(), 0.8);
    EXPECT_EQ(segment.GetStart(), 55125);  // 44100 x 1 / 0.8
    EXPECT_EQ(segment.GetEnd(), 165375);   // 44100 x 3 / 0.8
    ASSERT_EQ(made.GetEffectProfiles().GetCount(), 1);
    const CEffect& piece = *made.GetEffectProfiles().GetAt(0)->GetCurve().GetHead()->GetItem();
    EXPECT_EQ(piece.GetEnd(), 551250);  // the song's 441000 frames / 0.8
    EXPECT_EQ(piece.GetStartLevel(), 0.5);

    // The same name asks first; Cancel keeps the old design.
    designer.SetTempo(130.0);
    ui.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(designer.AddSegment());
    ExpectOnlyMessage("Replace existing segment?", "Add Segment", MessageIcon::Question);
    EXPECT_EQ(designer.GetSegment(1)->GetTempo(), 128.0);
    designer.SetName("Intro");
    ui.QueueAnswer(MessageAnswer::Ok);
    ASSERT_TRUE(designer.AddSegment());
    EXPECT_EQ(designer.GetSegmentNames(), (Strings{"Break", "Intro"}));
    EXPECT_EQ(designer.GetSegment(1)->GetTempo(), 130.0);
    ui.ClearLog();

    // Selecting a design shows it; removing drops it.
    ASSERT_TRUE(designer.SelectSegment(0));
    EXPECT_EQ(designer.GetName(), "Break");
    EXPECT_EQ(designer.GetResamplingText(), "0.8");
    EXPECT_DOUBLE_EQ(designer.GetSelectionStart(), 1.0);
    EXPECT_DOUBLE_EQ(designer.GetSelectionLength(), 2.0);
    EXPECT_EQ(designer.GetEffectLabels(), (Strings{"Volume / Level"}));
    EXPECT_FALSE(designer.SelectSegment(2));
    EXPECT_TRUE(designer.RemoveSegment(1));
    EXPECT_EQ(StoredNames(), (Strings{"Intro"})) << "nothing is stored before OK";
    ASSERT_TRUE(designer.Ok());
    EXPECT_TRUE(designer.IsClosed());
    EXPECT_EQ(StoredNames(), (Strings{"Break"}));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SegmentDesignerViewTest, EffectsAreAddedOncePerParameterAndFailedWritesKeepTheList) {
    CMusicDatabase readOnly;
    ASSERT_TRUE(readOnly.Open(library.Dir().Path() + "/", StoreAccess::ReadOnly));
    CSegmentDesignerView designer(ui, readOnly, config, &effects);
    ASSERT_TRUE(designer.Open(readOnly.GetSong(key)));
    EXPECT_EQ(designer.GetEffectChoices().size(), 2u);
    ASSERT_TRUE(designer.AddEffect("Echo", "Decay"));
    ASSERT_TRUE(designer.AddEffect("Echo", "Delay"));
    EXPECT_FALSE(designer.AddEffect("Echo", "Decay"));
    ExpectOnlyMessage("Effect has been already added.", "Add Effect", MessageIcon::Exclamation);
    EXPECT_FALSE(designer.AddEffect("", ""));
    ExpectOnlyMessage("Effect has been already added.", "Add Effect", MessageIcon::Exclamation);
    EXPECT_EQ(designer.GetEffectLabels(), (Strings{"Echo / Decay", "Echo / Delay"}));
    EXPECT_TRUE(designer.RemoveEffect(0));
    EXPECT_FALSE(designer.RemoveEffect(1));
    EXPECT_EQ(designer.GetEffectLabels(), (Strings{"Echo / Delay"}));

    designer.SetName("Loop");
    designer.SetSelection(0.0, 1.0);
    ASSERT_TRUE(designer.AddSegment());
    EXPECT_FALSE(designer.Ok());
    ExpectOnlyMessage("The song profile of Song could not be written.", "Segment Designer", MessageIcon::Error);
    EXPECT_FALSE(designer.IsClosed());
    EXPECT_EQ(designer.GetSegmentNames(), (Strings{"Intro", "Loop"}));
    EXPECT_EQ(readOnly.GetSong(key)->GetSegmentDesigns().GetCount(), 1) << "the profile is left as it was";
}

// Edit Segment on a set segment: the designer starts from the segment and
// hands the changed design back; the single-segment editor does the same
// from typed fields.
class EditSegmentTest : public SegmentDesignerViewTest {
protected:
    void SetUp() override {
        SegmentDesignerViewTest::SetUp();
        geometry.trackAreaLeft = 100;
        geometry.rowHeights = {20, 20, 20, 20};
        event = test::AddSegment(*set, 1, kRate, kRate / 2, 3 * kRate / 2, 0.5, key, "Piece", 126.0);
        test::AddSegment(*set, 1, 2 * kRate, 0, 100, 1.0, key, "Next");
        view.MousePress(geometry.XAt(1.1), 30, geometry, false);
        view.MouseRelease(geometry.XAt(1.1), 30);
    }

    RefPtr<CMusicSet> set = test::NewSet(2);
    CMusicSetView view{ui, &library.Database(), set.get(), "/sets/edit.set", config};
    TimelineGeometry geometry;
    CEvent* event = nullptr;
};

TEST_F(EditSegmentTest, TheDesignerHandsTheChangedSegmentBackAndOneUndoTakesItBack) {
    const auto before = test::Bytes(*set);
    int runs = 0;
    std::function<void(CSegmentDesignerView&)> run;
    CSegmentDesignerView::Connect(view, ui, library.Database(), config, &effects,
                                  [&](CSegmentDesignerView& designer) {
                                      ++runs;
                                      run(designer);
                                  });
    run = [&](CSegmentDesignerView& designer) {
        EXPECT_EQ(designer.GetName(), "Piece");
        EXPECT_EQ(designer.GetResamplingText(), "0.5");
        EXPECT_DOUBLE_EQ(designer.GetSelectionStart(), 0.25);
        EXPECT_DOUBLE_EQ(designer.GetSelectionLength(), 0.5);
        // Twice as long: it would reach the next segment at 2 s.
        designer.SetResamplingText("2");
        designer.SetSelection(1.0, 2.0);
        EXPECT_FALSE(designer.Ok());
        EXPECT_EQ(ui.Messages().back().text,
                  "Unable to replace segment in track. New segment overlaps another segment.");
        EXPECT_FALSE(designer.IsClosed());
        designer.SetResamplingText("1");
        designer.SetSelection(0.5, 0.75);
        ASSERT_TRUE(designer.AddEffect("Volume", "Level"));
        EXPECT_TRUE(designer.Ok());
    };
    ASSERT_TRUE(view.EditSegment().has_value());
    EXPECT_EQ(runs, 1);
    CEvent* current = test::EventAtIndex(*set->GetTrack(1), 0);
    const CSegment& segment = *current->GetSegment()->GetSegment();
    EXPECT_EQ(segment.GetRatio(), 1.0);
    EXPECT_EQ(segment.GetStart(), kRate / 2);
    EXPECT_EQ(segment.GetEnd(), kRate / 2 + 33075);
    EXPECT_EQ(current->GetSegment()->GetEffectProfiles().GetCount(), 1);
    EXPECT_TRUE(test::TimelineIsSound(*set));
    ASSERT_TRUE(view.Undo());
    EXPECT_EQ(test::Bytes(*set), before);
}

TEST_F(EditSegmentTest, TheSingleSegmentEditorChecksItsFieldsAndReplacesTheSegment) {
    const auto before = test::Bytes(*set);
    auto request = view.EditSegment();
    ASSERT_TRUE(request.has_value());
    CSingleSegmentEditorView editor(ui, library.Database(), view);
    ASSERT_TRUE(editor.Open(*request));
    EXPECT_EQ(editor.GetTitle(), "Edit Segment - Piece (Song)");
    auto& fields = editor.GetFields();
    EXPECT_EQ(fields.ratio, "0.5");
    EXPECT_EQ(fields.start, "0.500000");
    EXPECT_EQ(fields.end, "1.500000");
    EXPECT_EQ(fields.tempo, "126.00");

    struct Bad {
        const char* field;
        const char* text;
    };
    for (const Bad& bad : {Bad{"ratio", "0"}, Bad{"ratio", "nan"}, Bad{"tempo", "-1"}, Bad{"start", "-0.1"},
                           Bad{"end", "0.4"}, Bad{"end", "10.5"}, Bad{"name", ""}}) {
        editor.Revert();
        std::string& field = std::string(bad.field) == "ratio"   ? fields.ratio
                             : std::string(bad.field) == "tempo" ? fields.tempo
                             : std::string(bad.field) == "start" ? fields.start
                             : std::string(bad.field) == "end"   ? fields.end
                                                                 : fields.name;
        field = bad.text;
        EXPECT_FALSE(editor.Apply()) << bad.field << " " << bad.text;
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].caption, "Edit Segment");
        ui.ClearLog();
    }
    EXPECT_EQ(test::Bytes(*set), before);

    // At ratio 1.5 the second it reads from 0.5 s would reach the next segment.
    editor.Revert();
    fields.ratio = "1.5";
    EXPECT_FALSE(editor.Apply());
    EXPECT_EQ(ui.Messages().back().text, "Unable to replace segment in track. New segment overlaps another segment.");
    fields.ratio = "1";
    fields.end = "1.25";
    fields.name = "Shorter";
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(fields.name, "Shorter");
    const CSegment& segment = *test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment()->GetSegment();
    EXPECT_EQ(segment.GetEnd(), 55125);
    EXPECT_EQ(segment.GetRatio(), 1.0);
    EXPECT_EQ(editor.GetWaveform(100).size(), 0u) << "a song without a summary yet draws nothing";
    ASSERT_TRUE(view.Undo());
    EXPECT_EQ(test::Bytes(*set), before);
}

}  // namespace
}  // namespace vantor
