#include <gtest/gtest.h>

#include <sstream>

#include "editing/editing_fixtures.h"
#include "engine/effect_manager_impl.h"
#include "platform/scripted_user_interface.h"
#include "views/edit_script.h"
#include "views/linear_effect.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::Positions;

// A set file with one segment on track 1, edited by scripts.
class EditScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ClearClipboard();
        song = library.AddSong("Song", 441000, 44100, 130.0);
        auto set = test::NewSet(3);
        AddSegment(*set, 1, 44100, 0, 441000, 1.0, song, "Whole");
        path = library.Dir() / "edit.set";
        ASSERT_TRUE(WriteSetFile(*set, path));
        effects.RegisterEffect(new test::LinearEffect("Echo", {"Decay", "Delay"}));
    }
    void TearDown() override { test::ClearClipboard(); }

    bool Run(const std::string& text) {
        EditScript script(&library.Database(), &effects, config, ui, out, err);
        if (!script.Open(path)) return false;
        std::istringstream in(text);
        return script.Run(in);
    }
    RefPtr<CMusicSet> Saved() { return ReadSetFile(path); }

    test::SongLibrary library;
    std::string song;
    std::string path;
    CConfiguration config;
    CEffectManagerImpl effects;
    ScriptedUserInterface ui;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(EditScriptTest, SplitsPastesDragsAndUndoesThenSaves) {
    ASSERT_TRUE(Run(R"(# split the segment at 3 s and again at 6 s
select 1 @2
marker left 3
split
select 1 @7          # the second part
marker left 6
split
select 1 @4          # the middle part
copy
track 2
marker left 1
paste
snap off
drag 2 @2 +0.5s      # its body moves by half a second
drag 1 @8 -1         # the last part touches the middle one: it stays
drag 1 @8 +1         # moved on, then taken back
undo
save
quit
)")) << err.str();
    EXPECT_EQ(err.str(), "");
    auto set = Saved();
    ASSERT_TRUE(set);
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{44100, 132300, 264600}));
    EXPECT_EQ(Positions(*set->GetTrack(2)), (std::vector<int32_t>{66150}));
    EXPECT_EQ(set->GetTrack(2)->GetEvents().GetHead()->GetItem()->GetSegment()->GetSegment()->GetStart(), 88201);
    EXPECT_NE(out.str().find("track 1 current: @44100 (1.000 s) segment \"Whole\""), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("saved " + path), std::string::npos);
}

TEST_F(EditScriptTest, AnswerLinesAnswerTheQuestionsInOrder) {
    ASSERT_TRUE(Run("select 1 @5\n"
                    "drop \"" + song + "\" 2 @20 to=1 choice=nothing\n"
                    "answer ok\n"
                    "drop \"" + song + "\" 2 @20 to=1\n"
                    "show\n"
                    "answer yes\n"
                    "quit\n")) << err.str();
    const std::string text = out.str();
    // The first drop asks with nobody's answer: the fallback's cancel.
    EXPECT_NE(text.find("Insert Segment: Replace segment \"Whole\"? -> cancel\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Insert Segment: Replace segment \"Whole\"? -> ok\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Close Music Set: Do you wish to save? -> yes\n"), std::string::npos) << text;
    auto set = Saved();
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    EXPECT_STREQ(set->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetName(), "Song");
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetSegment()->GetEnd(), 44100);
    EXPECT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 0);
}

TEST_F(EditScriptTest, RefusalsAreWrittenAsTheEditorShowsThem) {
    ASSERT_TRUE(Run("select 1 @5\n"
                    "marker left 1\n"
                    "split\n"
                    "marker right 0.5\n"
                    "loop\n"
                    "track 0\n"
                    "add-effect\n"
                    "quit\n"));
    EXPECT_EQ(out.str(),
              "track 1 current: @44100 (1.000 s) segment \"Whole\" frames 0-441000 ratio 1.000000 length 441000 tempo "
              "130.00\n"
              "error: Split Segment: Left marker must be placed at the point within the segment to split.\n"
              "error: Set Loop: Place left marker at position to start loop, and right marker at the position to end "
              "the loop.\n"
              "error: Add Effect: Select the the track to use when adding the effect.\n");
}

TEST_F(EditScriptTest, TheEventEditorAndTheTrackEffectsDialog) {
    ASSERT_TRUE(Run("events 1\n"
                    "event select 1\n"
                    "event update start=1000 end=2000 name=Short\n"
                    "tempo-list\n"
                    "event select 1\n"
                    "event update start=5\n"
                    "track-effects 3\n"
                    "track-effect add Echo Decay\n"
                    "track-effect add echo DECAY\n"
                    "track-effect position 10\n"
                    "track-effect ok\n"
                    "save\n"));
    const std::string text = out.str();
    EXPECT_NE(text.find("Event Editor - Track 1 (segment mode, events 1 to 1 of 1)\n     Start | End | Name | Song Title\n"
                        "  1. 44100 | 485100 | Whole | Song\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("* 1. 1000 | 2000 | Short | Song\n"), std::string::npos) << text;
    EXPECT_NE(text.find("error: Modify Event: Tempo change at position 0 can not be moved.\n"), std::string::npos);
    EXPECT_NE(text.find("error: Add Effect: That effect has already been added to this track.\n"), std::string::npos);
    EXPECT_NE(text.find("* 1. Echo/Decay = 0.80 (slider 10/50)\n"), std::string::npos) << text;
    auto set = Saved();
    EXPECT_EQ(Positions(*set->GetTrack(1)), std::vector<int32_t>{1000});
    ASSERT_EQ(set->GetTrack(3)->GetTrackEffects().GetCount(), 1);
    EXPECT_DOUBLE_EQ(set->GetTrack(3)->GetTrackEffects().GetAt(0)->GetCurve().GetHead()->GetItem()->GetStartLevel(), 0.8);
}

TEST_F(EditScriptTest, ALineItDoesNotUnderstandStopsTheRunUnsaved) {
    EXPECT_FALSE(Run("select 1 @5\nerase\nfly away\nsave\n"));
    EXPECT_EQ(err.str(), "line 3: unknown command \"fly\"\n");
    EXPECT_EQ(Saved()->GetTrack(1)->GetEvents().GetCount(), 1);
    err.str("");
    EXPECT_FALSE(Run("select 7 @5\n"));
    EXPECT_EQ(err.str(), "line 1: the set has tracks 0 to 3\n");
    err.str("");
    EXPECT_FALSE(Run("marker left \"3\n"));
    EXPECT_EQ(err.str(), "line 1: a quote is not closed\n");
    err.str("");
    EXPECT_FALSE(Run("drag 1 @2 3\n"));
    EXPECT_EQ(err.str(), "line 1: the drag goes by +T or -T seconds or to @TIME\n");
}

TEST_F(EditScriptTest, CheckAndItsRows) {
    auto set = test::NewSet(3);
    AddSegment(*set, 3, 44100, 0, 100, 1.0, "/unknown.wav");
    ASSERT_TRUE(WriteSetFile(*set, path));
    ASSERT_TRUE(Run("check\ncheck goto 1\nstatus\n"));
    EXPECT_NE(out.str().find("Check Set - " + path + ": 1 row\n  1. /unknown.wav | 3/44100 | No song profile defined.\n"
                             "check: track 3, view at 1.000 s\n"),
              std::string::npos) << out.str();
    EXPECT_NE(out.str().find("selected track 3\n"), std::string::npos);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// The section and tempo commands of the language, with their messages.
TEST_F(EditScriptTest, SectionAndTempoCommandsRunAsTheEditorRunsThem) {
    ASSERT_TRUE(Run(R"(marker left 0
marker right 1
tempo split
marker left 2
tempo split
marker right 3
blank                # one second of space from 2 s
marker right 1
blank
marker right 4
section copy
answer no
section erase
marker left 8
section paste
marker left 3
marker right 5
tempo fade 140 2
tempo fade 140 0
select 0 @0.5
nudge +0.01
save
)")) << err.str();
    EXPECT_EQ(err.str(), "");
    const std::string text = out.str();
    EXPECT_NE(text.find("error: Split Tempo: Tempo can not be split on a tempo boundary."), std::string::npos) << text;
    EXPECT_NE(text.find("error: Copy Section: Right marker is before the left marker."), std::string::npos);
    EXPECT_NE(text.find("Clear Set Section: Shift successive events to the left? -> no"), std::string::npos);
    EXPECT_NE(text.find("Fade Tempo: start 130.000, end 140, steps 2"), std::string::npos);
    EXPECT_NE(text.find("error: Fade Tempo: Invalid number of steps"), std::string::npos);
    EXPECT_NE(text.find("tempo 131.000"), std::string::npos);
    EXPECT_NE(text.find("Insert Set Section: Unable to insert segment."), std::string::npos);
    auto set = Saved();
    ASSERT_TRUE(set);
    // The fade's three tempo changes after the one at 0, nudged to 131.
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 3 * 44100, 4 * 44100, 5 * 44100}));
    EXPECT_EQ(Positions(*set->GetTrack(1)).front(), 44100);
    EXPECT_FALSE(Run("nudge +1\n"));
    EXPECT_NE(err.str().find("the nudges are"), std::string::npos);
}

TEST_F(EditScriptTest, AddEffectRunsTheEffectsDialogAndPresetsApplyByNameOrSlot) {
    effects.RegisterEffect(new test::LinearEffect("Volume", {"Level"}));
    config.SetProgramDirectory(library.Dir().Path());
    ASSERT_TRUE(Run(R"(track 1
marker left 2
marker right 4
add-effect add=Volume/Level waveform=Flat points=0:0,9999:1 reverse save-profile=Down slot=2
effect apply Down
preset 2
preset 3
add-effect profile=Down cancel
add-effect profile=Nope
add-effect add=Volume/Depth
save
)")) << err.str();
    EXPECT_EQ(out.str(),
              "Apply Effects: track 1 frames 88200-176400\n"
              "preset 2: Down\n"
              "profile \"Down\", waveform \"Flat\"\n"
              "  1. Volume / Level *\n"
              "     88200-176391: 1.00 to 0.00\n"
              "add-effect: applied\n"
              "effect: \"Down\" applied\n"
              "preset 2: \"Down\" applied\n"
              "preset 3: the slot holds no preset\n"
              "Apply Effects: track 1 frames 88200-176400\n"
              "add-effect: cancelled\n"
              "Apply Effects: track 1 frames 88200-176400\n"
              "add-effect: no profile \"Nope\"\n"
              "profile \"<none>\", waveform \"Linear\"\n"
              "Apply Effects: track 1 frames 88200-176400\n"
              "add-effect: no registered effect parameter \"Volume/Depth\"\n"
              "profile \"<none>\", waveform \"Linear\"\n"
              "saved " + path + "\n");
    EXPECT_STREQ(config.GetEffectPresetName(1), "Down");
    auto set = Saved();
    ASSERT_TRUE(set);
    auto& profiles = set->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetEffectProfiles();
    ASSERT_EQ(profiles.GetCount(), 1) << "each application replaced the curve over the same range";
    const CEffect& piece = *profiles.GetAt(0)->GetCurve().GetHead()->GetItem();
    EXPECT_EQ(piece.GetStart(), 88200 - 44100);  // frames of the song, which starts at 1 s
    EXPECT_EQ(piece.GetEnd(), 176391 - 44100);
    EXPECT_EQ(piece.GetStartLevel(), 1.0);
    EXPECT_EQ(piece.GetEndLevel(), 0.0);
    EXPECT_FALSE(Run("preset 7\n"));
    EXPECT_FALSE(Run("effect show Down\n"));
    EXPECT_FALSE(Run("add-effect bogus\n"));
}

TEST_F(EditScriptTest, MixHelperJoinsTwoSegmentsAndSuggestListsFittingSongs) {
    const std::string other = library.AddSong("Other", 441000, 44100, 131.0);
    ASSERT_TRUE(Run(R"(drop )" + other + R"( 2 @20 to=5 choice=nothing
select 1 @5
suggest
mix-helper 1 @5 2 @21 c1=4 c2=9 join=cut
mix-helper 1 @5 2 @21 c1=4 c2=1 join=cut mark=on
undo
mix-helper 1 @5 2 @21 c1=4 c2=1 join=mix tune=1000
save
)")) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("error: Mixing Wizard: The second segment would end after the end of its song."),
              std::string::npos)
        << text;
    // Song tempos 130 (the segment's design tempo) and 131 share the type word.
    EXPECT_NE(text.find("suggest: 2 songs\n  " + other + "\n  " + song + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mix-helper: mixing point @" + std::to_string(44100 + 4 * 44100)), std::string::npos) << text;
    EXPECT_NE(text.find("mix-helper: done"), std::string::npos) << text;
    auto set = Saved();
    ASSERT_TRUE(set);
    // The mix: song 2's cursor (1 s into it) meets song 1's 4 s, tuned 1 % faster.
    const CEvent* second = set->GetTrack(2)->GetEvents().GetHead()->GetItem();
    EXPECT_EQ(second->GetPosition(), 44100 + 4 * 44100);
    EXPECT_DOUBLE_EQ(second->GetSegment()->GetSegment()->GetRatio(), 1.01);
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0})) << "the marked mix was undone";
    EXPECT_FALSE(Run("mix-helper 1 @5 2 @21 c1=4\n"));
    EXPECT_FALSE(Run("mix-helper 1 @5 2 @21 c1=4 c2=1 join=blend\n"));
}

TEST_F(EditScriptTest, ADropMixedIntoASegmentRunsTheMixingHelperAndSplitsAtItsPoint) {
    const std::string other = library.AddSong("Other", 441000, 44100, 130.0);
    EXPECT_FALSE(Run("drop " + other + " 2 @3 to=4 choice=mix:1 c1=-1\n"));
    EXPECT_FALSE(Run("drop " + other + " 2 @3 to=4 choice=mix:1 fades=1,2\n"));
    EXPECT_EQ(Saved()->GetTrack(2)->GetEvents().GetCount(), 0) << "nothing dropped";
    ASSERT_TRUE(Run("drop " + other + " 2 @3 to=4 choice=mix:1 c1=4 c2=1 fades=1,0,1 mark=on\nsave\n")) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("Insert Segment: \"Other\" at 132300, tempo 130.00 (set 130.00): mix\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Mixing Helper: song 1 at 4.000 s, song 2 at 1.000 s, ratio 1.000000\n"
                        "Mixing Helper: mixing point @220500\n"),
              std::string::npos)
        << text;
    auto set = Saved();
    ASSERT_TRUE(set);
    // Song 2's second 1 meets song 1's second 4 (the set's 5 s); song 1 ends
    // two bars at 130 BPM later and is split at the mixing point.
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 220500}));
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{44100, 220500}));
    EXPECT_EQ(Positions(*set->GetTrack(2)), (std::vector<int32_t>{220500}));
    const CSegment& first = *set->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetSegment();
    EXPECT_EQ(first.GetEnd(), 176400);
    const CSegment& second = *set->GetTrack(2)->GetEvents().GetHead()->GetItem()->GetSegment()->GetSegment();
    EXPECT_EQ(second.GetStart(), 44100);
    EXPECT_EQ(second.GetEnd(), 44100 + 176400);
    int64_t end = 0;
    for (auto* n = set->GetTrack(1)->GetEvents().GetHead(); n; n = n->GetNext()) end = OccupiedEnd(*n->GetItem());
    // The split's second part reads on from the frame after the first's end.
    EXPECT_NEAR(end, 44100 + 176400 + 2 * 81415, 1);
}

TEST_F(EditScriptTest, DesignsAreCreatedWithTheSongAndAppliedAroundASegment) {
    // The whole song plays from 1 s; a design of 4 s to 5 s of the set is
    // stored with it, then applied on the same segment in a fresh run.
    ASSERT_TRUE(Run(R"(design apply Drop
marker left 4
marker right 2
design create Drop
marker right 5
design create ""
design create Drop
)")) << err.str();
    std::string text = out.str();
    EXPECT_NE(text.find("error: Apply Mixing Design: Only one segment can be selected when applying a mixing design."),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("error: Create Mix Design: Before selecting this option, position the left marker where the "
                        "design begins, and the right marker where it ends."),
              std::string::npos);
    EXPECT_NE(text.find("Create Mixing Design: Specify a name for this mixing design."), std::string::npos);
    EXPECT_NE(text.find("Create Mixing Design:\n  Track 1: Whole\n"), std::string::npos);
    EXPECT_NE(text.find("design: \"Drop\" stored"), std::string::npos);
    RefPtr<CSongProfile> profile = library.Database().GetSong(song);
    ASSERT_TRUE(profile);
    ASSERT_EQ(profile->GetWithinSongDesigns().GetCount(), 1);
    EXPECT_EQ(profile->GetWithinSongDesigns().GetAt(0)->GetTempo(), 130.0);

    // The set's segment starts at song frame 0, the design's primary (the
    // section from 4 s, 3 s into the song) at 3 s.
    out.str("");
    ASSERT_TRUE(Run(R"(select 1 @2
design apply Nothing
design apply Drop
show
)")) << err.str();
    text = out.str();
    EXPECT_NE(text.find("Select Mixing Design: Song\n  Drop (Within)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("design: no design \"Nothing\""), std::string::npos) << text;
    EXPECT_NE(text.find("design: \"Drop\" applied"), std::string::npos) << text;
    // B = 1 s + 3 s; the set segment now ends at song frame 3 s - 1.
    EXPECT_NE(text.find("@176400 (4.000 s) segment \"Whole\" frames 132300-176400"), std::string::npos) << text;
    EXPECT_NE(text.find("@44100 (1.000 s) segment \"Whole\" frames 0-132299"), std::string::npos) << text;
}

}  // namespace
}  // namespace vantor
