#include "views/mixing_helper_view.h"

#include <gtest/gtest.h>

#include <map>

#include "analysis/analysis_fixtures.h"
#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "engine/set_player.h"
#include "platform/null_audio_device.h"
#include "platform/scripted_user_interface.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::Bytes;
using test::Positions;

constexpr int32_t kRate = 44100;

// Two ten-second songs in a database: song 1 silent with a loud part from
// 4 s to 6 s, song 2 a staircase. A set of three audio tracks at 130 BPM
// holds a segment of each, song 1's on track 3 and song 2's on track 1.
class MixingHelperViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::Song loud(10 * kRate);
        for (uint32_t f = 4 * kRate; f < 6 * kRate; ++f) loud.samples[2 * size_t{f}] = (f / 50) % 2 ? 20000 : -20000;
        song1 = library.Dir() / "Loud.wav";
        test::WriteBytes(song1, test::WaveBytes(loud.Bytes()));
        CSongProfile profile;
        profile.SetLocalPath(song1);
        profile.SetTitle("Loud");
        profile.SetTempo(120.0);
        ASSERT_TRUE(library.Database().PutSong(profile));
        song2 = library.AddSong("Stairs", 10 * kRate, kRate, 130.0);
    }

    CMixingHelperView& Helper(CEvent* first, CEvent* second) {
        helper = std::make_unique<CMixingHelperView>(
            ui, library.Database(), view.GetState(), SegmentAt{3, first}, SegmentAt{1, second},
            [this, first, second](const MixingFields& fields) {
                return view.MixSegments({3, first}, {1, second}, fields);
            },
            CMixingHelperView::Audition{&player, nullptr, {}});
        EXPECT_TRUE(helper->Open());
        return *helper;
    }

    void AddCue(const std::string& key, const char* label, int32_t type, uint32_t position) {
        RefPtr<CSongProfile> profile = library.Database().GetSong(key);
        auto point = MakeRef<CMatchPoint>();
        point->SetLabel(label);
        point->SetType(type);
        point->SetPosition(position);
        profile->AddMatchPoint(point);
        ASSERT_TRUE(library.Database().PutSong(*profile));
    }

    test::SongLibrary library;
    std::string song1;
    std::string song2;
    ScriptedUserInterface ui;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(3);
    CMusicSetView view{ui, &library.Database(), set.get(), "/sets/mix.set", config};
    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    CSetPlayer player{[clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); }};
    std::unique_ptr<CMixingHelperView> helper;
};

TEST_F(MixingHelperViewTest, WaveformsCursorsRulersAndShowFollowTheSegmentsAndTheirRatios) {
    // Song 1 from 2 s to 8 s as recorded; song 2 played at half length.
    CEvent* first = AddSegment(*set, 3, 0, 2 * kRate, 8 * kRate, 1.0, song1, "One", 120.0);
    CEvent* second = AddSegment(*set, 1, 0, 0, 8 * kRate, 0.5, song2, "Two", 130.0);
    CMixingHelperView& h = Helper(first, second);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(h.IsMixChecked());
    EXPECT_FALSE(h.IsCutChecked());
    EXPECT_EQ(h.GetAuditionText(), "Audition");

    // Each waveform shows its segment: 600 columns over song 1's 6 s.
    h.SetWidth(600);
    EXPECT_DOUBLE_EQ(h.GetWindow(0).startTime, 2.0);
    EXPECT_DOUBLE_EQ(h.GetWindow(0).secondsPerPixel, 0.01);
    EXPECT_DOUBLE_EQ(h.GetWindow(1).secondsPerPixel, 4.0 / 600);
    auto columns = h.GetWaveform(0);
    ASSERT_EQ(columns.size(), 600u);
    auto loudAt = [](const WaveformColumn& c) { return c.present && c.maximum > 10000; };
    for (int x : {0, 150, 195, 405, 599}) EXPECT_FALSE(loudAt(columns[size_t(x)])) << x;
    for (int x : {205, 300, 395}) EXPECT_TRUE(loudAt(columns[size_t(x)])) << x;

    // The same song at half its length has its loud part at 2 s to 3 s.
    CEvent* half = AddSegment(*set, 2, 0, 0, 10 * kRate, 0.5, song1, "Half", 120.0);
    CMixingHelperView other(ui, library.Database(), view.GetState(), {3, first}, {2, half}, {});
    ASSERT_TRUE(other.Open());
    other.SetWidth(500);  // 5 s, 0.01 s a column
    auto halfColumns = other.GetWaveform(1);
    for (int x : {150, 195, 305, 450}) EXPECT_FALSE(loudAt(halfColumns[size_t(x)])) << x;
    for (int x : {205, 250, 295}) EXPECT_TRUE(loudAt(halfColumns[size_t(x)])) << x;

    // A click sets the cursor under it, scrolled and zoomed as the window is.
    h.ScrollTo(0, 3.0);
    h.Zoom(0, 0.02);
    h.Click(0, 50);
    EXPECT_DOUBLE_EQ(h.GetCursor(0), 4.0);
    h.Zoom(0, 0.0);  // refused: the zoom stays
    EXPECT_DOUBLE_EQ(h.GetWindow(0).secondsPerPixel, 0.02);
    h.SetWidth(600);
    // Show puts both cursors 2 s into a 4 s window.
    h.Click(0, 150);
    EXPECT_DOUBLE_EQ(h.GetCursor(0), 3.5);
    EXPECT_EQ(h.CursorX(0), 150);
    h.SetCursor(1, 1.25);
    h.Show();
    EXPECT_DOUBLE_EQ(h.GetWindow(0).startTime, 1.5);
    EXPECT_DOUBLE_EQ(h.GetWindow(1).startTime, -0.75);
    EXPECT_DOUBLE_EQ(h.GetWindow(0).secondsPerPixel, 4.0 / 600);
    EXPECT_EQ(h.CursorX(0), 300);
    EXPECT_EQ(h.CursorX(1), 300);

    // Song 1's ruler at 120 BPM: a beat every 0.5 s counted from the
    // segment's start at 2 s, a bar every 2 s; the window starts at 1.5 s.
    std::map<int, bool> beats;
    for (const auto& beat : h.GetBeatRuler(0)) beats[beat.x] = beat.bar;
    EXPECT_EQ(beats.size(), 9u);  // 1.5 s to 5.5 s
    EXPECT_EQ(beats.at(0), false);
    EXPECT_EQ(beats.at(75), true);    // 2.0 s
    EXPECT_EQ(beats.at(150), false);  // 2.5 s
    EXPECT_EQ(beats.at(375), true);   // 4.0 s
    EXPECT_EQ(beats.count(100), 0u);
}

TEST_F(MixingHelperViewTest, TheFineTuneSliderMovesSongTwosRatioByAtMostOnePercent) {
    CEvent* first = AddSegment(*set, 3, 0, 0, 4 * kRate, 1.0, song1, "One", 120.0);
    CEvent* second = AddSegment(*set, 1, 0, 0, 4 * kRate, 1.0, song2, "Two", 130.0);
    CMixingHelperView& h = Helper(first, second);
    EXPECT_EQ(h.GetTune(), 500);
    EXPECT_DOUBLE_EQ(h.GetRatio(1), 1.0);
    h.SetTune(1000);
    EXPECT_NEAR(h.GetRatio(1), 1.01, 1e-12);
    EXPECT_NEAR(h.GetRulerTempo(1), 130.0 / 1.01, 1e-9);
    h.SetTune(750);
    EXPECT_NEAR(h.GetRatio(1), 1.005, 1e-12);
    h.SetTune(-20);
    EXPECT_EQ(h.GetTune(), 0);
    EXPECT_NEAR(h.GetRatio(1), 0.99, 1e-12);
    h.SetTune(1200);
    EXPECT_EQ(h.GetTune(), 1000);
    EXPECT_DOUBLE_EQ(h.GetRatio(0), 1.0) << "song 1 keeps its ratio";
    EXPECT_NEAR(h.GetFields().ratio2, 1.01, 1e-12);
}

TEST_F(MixingHelperViewTest, CuePointsAreListedChosenAddedAndRemovedInTheProfile) {
    AddCue(song1, "Drop", CMatchPoint::EXPLODE_UP, 3 * kRate);
    AddCue(song2, "Verse", CMatchPoint::VERSE, kRate);
    AddCue(song2, "Twin", CMatchPoint::VERSE, kRate);
    CEvent* first = AddSegment(*set, 3, 0, 0, 8 * kRate, 1.0, song1, "One", 120.0);
    CEvent* second = AddSegment(*set, 1, 0, 0, 8 * kRate, 0.8, song2, "Two", 130.0);
    CMixingHelperView& h = Helper(first, second);
    EXPECT_EQ(h.GetCueLabels(0), (std::vector<std::string>{"Drop (EXPLODE_UP)"}));
    EXPECT_EQ(h.GetCueLabels(1), (std::vector<std::string>{"Verse (VERSE)", "Twin (VERSE)"}));
    ASSERT_TRUE(h.ChooseCue(0, 0));
    EXPECT_DOUBLE_EQ(h.GetCursor(0), 3.0);
    ASSERT_TRUE(h.ChooseCue(1, 1));
    EXPECT_DOUBLE_EQ(h.GetCursor(1), 0.8);
    EXPECT_FALSE(h.ChooseCue(1, 2));

    // "+" at song 2's cursor (1.6 s at ratio 0.8): the point lands on the
    // song's own frame 88200, so that choosing it finds the cursor again.
    EXPECT_EQ(CMixingHelperView::DefaultCueLabel(CMatchPoint::BUILD), "Build");
    EXPECT_EQ(CMixingHelperView::DefaultCueLabel(CMatchPoint::FALL), "Fall");
    EXPECT_FALSE(h.AddCue(1, CMatchPoint::START_SONG, "Start")) << "not offered by +";
    h.SetCursor(1, 1.6);
    ASSERT_TRUE(h.AddCue(1, CMatchPoint::BUILD, "Build"));
    EXPECT_EQ(h.GetCueLabels(1).back(), "Build (BUILD)");
    {
        CMusicDatabase reread;
        ASSERT_TRUE(reread.Open(library.Dir().Path() + "/", StoreAccess::ReadOnly));
        RefPtr<CSongProfile> stored = reread.GetSong(song2);
        ASSERT_EQ(stored->GetMatchPoints().GetCount(), 3);
        const CMatchPoint& added = *stored->GetMatchPoints().GetAt(2);
        EXPECT_EQ(added.GetPosition(), 88200u);
        EXPECT_EQ(std::string(added.GetSongKey()), song2);
        EXPECT_EQ(added.GetTempo(), 130.0);
    }
    h.SetCursor(1, 0);
    ASSERT_TRUE(h.ChooseCue(1, 2));
    EXPECT_DOUBLE_EQ(h.GetCursor(1), 1.6);

    // "-" on "Twin" removes the first point of its type and position: "Verse".
    ASSERT_TRUE(h.ChooseCue(1, 1));
    ASSERT_TRUE(h.RemoveCue(1));
    EXPECT_EQ(h.GetCueLabels(1), (std::vector<std::string>{"Twin (VERSE)", "Build (BUILD)"}));
    EXPECT_FALSE(h.RemoveCue(1)) << "nothing chosen any more";
    EXPECT_EQ(library.Database().GetSong(song2)->GetMatchPoints().GetCount(), 2);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(MixingHelperViewTest, ACueThatCannotBeStoredIsToldAndTheProfileStaysAsItWas) {
    AddCue(song1, "Drop", CMatchPoint::EXPLODE_UP, 3 * kRate);
    CEvent* first = AddSegment(*set, 3, 0, 0, 8 * kRate, 1.0, song1, "One", 120.0);
    CEvent* second = AddSegment(*set, 1, 0, 0, 8 * kRate, 1.0, song2, "Two", 130.0);
    CMusicDatabase readOnly;
    ASSERT_TRUE(readOnly.Open(library.Dir().Path() + "/", StoreAccess::ReadOnly));
    CMixingHelperView h(ui, readOnly, view.GetState(), {3, first}, {1, second}, {});
    ASSERT_TRUE(h.Open());
    h.SetCursor(0, 5.0);
    EXPECT_FALSE(h.AddCue(0, CMatchPoint::FALL, "Fall"));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "The song profile of Loud could not be written.");
    EXPECT_EQ(ui.Messages()[0].caption, "Mixing Helper");
    EXPECT_EQ(h.GetCueLabels(0), (std::vector<std::string>{"Drop (EXPLODE_UP)"}));
    ASSERT_TRUE(h.ChooseCue(0, 0));
    EXPECT_FALSE(h.RemoveCue(0));
    EXPECT_EQ(h.GetCueLabels(0), (std::vector<std::string>{"Drop (EXPLODE_UP)"}));
    EXPECT_EQ(ui.Messages().size(), 2u);
}

TEST_F(MixingHelperViewTest, FadeFieldsTakeWholeBarsAndAMissingProfileIsTold) {
    CEvent* first = AddSegment(*set, 3, 0, 0, 8 * kRate, 1.0, song1, "One", 120.0);
    CEvent* second = AddSegment(*set, 1, 0, 0, 8 * kRate, 1.0, song2, "Two", 130.0);
    CMixingHelperView& h = Helper(first, second);
    EXPECT_TRUE(h.SetFadeInText("8"));
    EXPECT_TRUE(h.SetHoldText("4"));
    for (const char* bad : {"", "-1", "2.5", "x", "1e3", "999999"}) EXPECT_FALSE(h.SetFadeOutText(bad)) << bad;
    EXPECT_TRUE(h.SetFadeOutText("8"));
    h.SetFadesEnabled(true);
    MixingFields fields = h.GetFields();
    EXPECT_EQ(fields.fadeInBars, 8);
    EXPECT_EQ(fields.holdBars, 4);
    EXPECT_EQ(fields.fadeOutBars, 8);
    EXPECT_TRUE(fields.fadesEnabled);

    CEvent* stranger = AddSegment(*set, 2, 0, 0, 10, 1.0, "/nowhere.wav", "Stranger");
    CMixingHelperView missing(ui, library.Database(), view.GetState(), {2, stranger}, {1, second}, {});
    EXPECT_FALSE(missing.Open());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to load profile corresponding to this segment!");
    EXPECT_EQ(ui.Messages()[0].caption, "Mixing Helper");
}

TEST_F(MixingHelperViewTest, AuditionPlaysBothSegmentsMeetingAtTheCursorsAndStopDiscardsThem) {
    CEvent* first = AddSegment(*set, 3, 0, 0, 8 * kRate, 1.0, song1, "One", 120.0);
    CEvent* second = AddSegment(*set, 1, 0, kRate, 9 * kRate, 1.0, song2, "Two", 130.0);
    CMixingHelperView& h = Helper(first, second);
    h.SetCursor(0, 6.0);
    h.SetCursor(1, 2.0);
    h.SetTune(1000);
    ASSERT_TRUE(h.ToggleAudition());
    EXPECT_EQ(h.GetAuditionText(), "Stop");
    EXPECT_TRUE(player.IsOpen());
    const CMusicSet& audition = *h.GetAuditionSet();
    ASSERT_EQ(audition.GetTracks().GetCount(), 3);
    const CEvent& one = *audition.GetTrack(1)->GetEvents().GetHead()->GetItem();
    const CEvent& two = *audition.GetTrack(2)->GetEvents().GetHead()->GetItem();
    // Song 1 from 4 s before its cursor; song 2 from its cursor at 1.01,
    // starting where song 1's cursor plays.
    EXPECT_EQ(one.GetPosition(), 0);
    EXPECT_EQ(one.GetSegment()->GetSegment()->GetStart(), 2 * kRate);
    EXPECT_EQ(two.GetPosition(), 4 * kRate);
    EXPECT_EQ(two.GetSegment()->GetSegment()->GetStart(), static_cast<int32_t>(2 * kRate / 1.01));
    EXPECT_NEAR(two.GetSegment()->GetSegment()->GetRatio(), 1.01, 1e-12);
    for (const CEvent* event : {&one, &two}) {
        ASSERT_EQ(event->GetSegment()->GetEffectProfiles().GetCount(), 1);
        EXPECT_STREQ(event->GetSegment()->GetEffectProfiles().GetAt(0)->GetEffectName(), "Volume");
        EXPECT_STREQ(event->GetSegment()->GetEffectProfiles().GetAt(0)->GetParameterName(), "Level");
    }
    EXPECT_EQ(first->GetSegment()->GetEffectProfiles().GetCount(), 0) << "the set's segments are untouched";
    ASSERT_TRUE(h.ToggleAudition());
    EXPECT_EQ(h.GetAuditionText(), "Audition");
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(h.GetAuditionSet(), nullptr);

    // OK and Cancel stop a running audition.
    ASSERT_TRUE(h.ToggleAudition());
    h.Cancel();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(h.GetResult().has_value());
}

// Through the set editor: a drop, "Mix into:" the segment under it, the
// helper's OK, and the chosen segment split at the mixing point.
class MixIntoTest : public MixingHelperViewTest {
protected:
    void SetUp() override {
        MixingHelperViewTest::SetUp();
        geometry.trackAreaLeft = 100;
        geometry.rowHeights = {20, 20, 20, 20};
        under = AddSegment(*set, 3, 0, 0, 300000, 1.0, song1, "Under", 130.0);
        test::AddTempo(*set, 80000, 128.0);
        CMixingHelperView::Connect(view, ui, library.Database(),
                                   [this](CMixingHelperView& h) {
                                       ++opened;
                                       if (run) run(h);
                                   });
    }
    bool Drop() {
        return view.DropSegment(*test::SongDesign(song2, 0, 200000, 130.0, "New"), geometry.XAt(1.0), 30, geometry);
    }

    TimelineGeometry geometry;
    CEvent* under = nullptr;
    int opened = 0;
    std::function<void(CMixingHelperView&)> run;
};

TEST_F(MixIntoTest, OkMixesWithFadesMarksTheTempoAndSplitsTheChosenSegmentInOneUndo) {
    const auto before = Bytes(*set);
    run = [](CMixingHelperView& h) {
        EXPECT_DOUBLE_EQ(h.GetCursor(0), 0.0);
        h.SetCursor(0, 2.0);
        h.SetCursor(1, 0.5);
        h.SetFadesEnabled(true);
        h.SetFadeInText("1");
        h.SetHoldText("2");
        h.SetFadeOutText("1");
        h.SetMarkWithTempoChange(true);
        EXPECT_TRUE(h.Ok());
        EXPECT_EQ(h.GetResult(), 88200);
    };
    ASSERT_TRUE(Drop());
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(ui.Messages().empty()) << ui.Messages().front().text;
    // The mixing point 88200 replaces the tempo change at 80000 (within
    // 22000 frames) with the first segment's 130 BPM.
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 88200}));
    // Song 2 from its cursor (frame 22050) meets song 1's cursor at 88200.
    ASSERT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{88200}));
    const CSegment& second = *test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment()->GetSegment();
    EXPECT_EQ(second.GetStart(), 22050);
    EXPECT_EQ(second.GetEnd(), 222050);
    // Song 1 ends four bars at 130 BPM after its cursor and is split at the
    // mixing point.
    const int32_t end1 = 88200 + static_cast<int32_t>(240.0 * 4 * kRate / 130.0);
    ASSERT_EQ(Positions(*set->GetTrack(3)), (std::vector<int32_t>{0, 88200}));
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(3), 0)->GetSegment()->GetSegment()->GetEnd(), 88200);
    EXPECT_EQ(view.GetState().GetCurrentEvent(3), under);
    int64_t tail = 0;
    for (auto* n = set->GetTrack(3)->GetEvents().GetHead(); n; n = n->GetNext()) tail = OccupiedEnd(*n->GetItem());
    EXPECT_LE(tail, end1 + 1);
    EXPECT_TRUE(test::TimelineIsSound(*set));
    ASSERT_TRUE(view.Undo());
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(MixIntoTest, ARefusedCutKeepsTheHelperOpenAndCancelSplitsNothing) {
    const auto before = Bytes(*set);
    under->GetSegment()->GetSegment()->SetStart(2 * kRate);
    const auto moved = Bytes(*set);
    run = [this](CMixingHelperView& h) {
        h.SetJoin(MixingFields::Join::Cut);
        h.SetMarkWithTempoChange(true);
        h.SetCursor(0, 1.0);  // before the segment's start in its song
        EXPECT_FALSE(h.Ok());
        EXPECT_FALSE(h.IsClosed());
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].text,
                  "New cutoff for first segment is prior to its original start position.\nThis tool can not modify "
                  "the start position of the first segment.");
        EXPECT_EQ(ui.Messages()[0].caption, "Mixing Wizard");
        EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 80000})) << "the tempo stays on refusal";
        ui.ClearLog();
        // A mix whose fades end before the segment's start in its song.
        h.SetJoin(MixingFields::Join::Mix);
        h.SetFadesEnabled(true);
        h.SetCursor(0, 0.5);
        EXPECT_FALSE(h.Ok());
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].text,
                  "New cutoff or Cue Point for first segment is prior to its original start position.\nThis tool can "
                  "not modify the start position of the first segment.");
        EXPECT_EQ(ui.Messages()[0].caption, "Mixing Wizard");
        EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
        h.Cancel();
    };
    ASSERT_TRUE(Drop());
    EXPECT_EQ(Positions(*set->GetTrack(3)), (std::vector<int32_t>{0}));
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{44100})) << "the dropped segment stays where it fell";
    ASSERT_TRUE(view.Undo());
    EXPECT_EQ(Bytes(*set), moved);
    EXPECT_NE(moved, before);
}

}  // namespace
}  // namespace vantor
