#include "editing/mixing_wizard.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "editing/mix_suggestion.h"
#include "editing/set_edit_commands.h"

namespace vantor {
namespace {

using Applied = std::tuple<std::string, int32_t, int32_t, int32_t>;

// Song 1 (60 s) plays frames [0, 30 s) on track 1 from 1 s at 128 BPM; song 2
// (30 s) plays [0, 10 s) on track 2 from 0. The set's tempo track holds 130
// BPM at 0.
class MixingWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        first = test::AddSegment(*set, 1, 44100, 0, 1323000, 1.0, "one.wav", "One", 128.0);
        second = test::AddSegment(*set, 2, 0, 0, 441000, 1.0, "two.wav", "Two", 126.0);
    }
    MixingWizard Wizard() {
        return MixingWizard(state, [](const std::string& key) -> std::optional<int64_t> {
            if (key == "one.wav") return 2646000;
            if (key == "two.wav") return 1323000;
            return std::nullopt;
        }, {1, first}, {2, second});
    }
    MixingWizard::PresetApplier Recorder() {
        return [this](const std::string& preset, int32_t track, int32_t a, int32_t b) {
            applied.emplace_back(preset, track, a, b);
            return Status::Success();
        };
    }

    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(2);
    SetEditorState state{set.get(), config};
    CEvent* first = nullptr;
    CEvent* second = nullptr;
    std::vector<Applied> applied;
};

TEST_F(MixingWizardTest, EightFourEightBarsAt128GiveTheFourPresetRangesToTheFrame) {
    MixingFields fields;
    fields.cursor1 = 10.0;
    fields.cursor2 = 2.0;
    fields.join = MixingFields::Join::Mix;
    fields.fadesEnabled = true;
    fields.fadeInBars = 8;
    fields.holdBars = 4;
    fields.fadeOutBars = 8;
    // A bar at 128 BPM: 240 x 44100 / 128 = 82687.5 frames; 8 bars 661500,
    // 4 bars 330750. D = 1 s + 10 s from the first segment's start.
    const FadeRanges ranges = Wizard().Fades(fields);
    EXPECT_EQ(ranges.d, 485100);
    EXPECT_EQ(ranges.h, 485100 + 661500);
    EXPECT_EQ(ranges.i, 485100 + 661500 + 330750);
    EXPECT_EQ(ranges.e, 485100 + 661500 + 330750 + 661500);

    const std::vector<uint8_t> original = test::Bytes(*set);
    auto done = Wizard().Ok(fields, Recorder());
    ASSERT_TRUE(done) << done.Error().text;
    EXPECT_EQ(done.Value(), -1) << "no tempo change marked the mixing point";
    EXPECT_EQ(applied, (std::vector<Applied>{{"Fade In", 2, 485100, 1146599},
                                             {"Hold 2", 2, 1146600, 1477349},
                                             {"Hold 1", 1, 1146600, 1477349},
                                             {"Fade Out", 1, 1477350, 2138849}}));
    // Song 1 is cut 20 bars (1653750 frames) after its cursor; song 2 starts
    // at its cursor and meets song 1's cursor point on the timeline.
    EXPECT_EQ(first->GetSegment()->GetSegment()->GetEnd(), 441000 + 1653750);
    const CEvent* moved = set->GetTrack(2)->GetEvents().GetHead()->GetItem();
    EXPECT_EQ(moved->GetPosition(), 485100);
    EXPECT_EQ(moved->GetSegment()->GetSegment()->GetStart(), 88200);
    EXPECT_EQ(moved->GetSegment()->GetSegment()->GetEnd(), 88200 + 441000);
    EXPECT_TRUE(test::TimelineIsSound(*set));

    // One Undo takes the whole mix back, the first segment's end included.
    SetEditCommands commands(state);
    ASSERT_TRUE(commands.Undo());
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(test::Bytes(*set), original);
}

TEST_F(MixingWizardTest, TheTempoChangeMarksTheMixingPointAndClearsItsNeighbourhood) {
    test::AddTempo(*set, 485100 + 10000, 140.0);
    test::AddTempo(*set, 485100 + 22000, 141.0);  // not strictly inside: kept
    MixingFields fields;
    fields.cursor1 = 10.0;
    fields.cursor2 = 2.0;
    fields.markWithTempoChange = true;
    fields.join = MixingFields::Join::Cut;
    auto done = Wizard().Ok(fields, Recorder());
    ASSERT_TRUE(done) << done.Error().text;
    EXPECT_EQ(done.Value(), 485100);
    EXPECT_EQ(test::Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 485100, 485100 + 22000}));
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(0), 1)->GetTempoChange()->GetTempo(), 128.0);
    // The cut: song 1 ends at its cursor, song 2 follows directly.
    EXPECT_EQ(first->GetSegment()->GetSegment()->GetEnd(), 441000);
    EXPECT_EQ(set->GetTrack(2)->GetEvents().GetHead()->GetItem()->GetPosition(), 44100 + 441000);
    EXPECT_TRUE(applied.empty());

}

TEST_F(MixingWizardTest, AMixingPointNearTheStartKeepsTheTempoChangeAtZero) {
    // Song 2's segment, at 0, mixed into 0.2 s in: the mixing point is 8820,
    // less than 22000 frames from the start.
    MixingWizard wizard(state, nullptr, {2, second}, {1, first});
    MixingFields fields;
    fields.cursor1 = 0.2;
    fields.markWithTempoChange = true;
    fields.join = MixingFields::Join::None;
    auto marked = wizard.Ok(fields, Recorder());
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked.Value(), 8820);
    EXPECT_EQ(test::Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 8820}));
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(0), 1)->GetTempoChange()->GetTempo(), 126.0);
}

TEST_F(MixingWizardTest, RefusalsChangeNothingNotEvenTheTempoTrack) {
    const std::vector<uint8_t> original = test::Bytes(*set);
    MixingFields fields;
    fields.markWithTempoChange = true;
    fields.cursor2 = 2.0;
    auto expectRefused = [&](const std::string& text) {
        auto refused = Wizard().Ok(fields, Recorder());
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.Error().text, text);
        EXPECT_EQ(refused.Error().caption, "Mixing Wizard");
        EXPECT_EQ(test::Bytes(*set), original);
        EXPECT_FALSE(state.GetHistory().HasRecords());
        EXPECT_TRUE(applied.empty());
    };
    // A segment starting 5 s into its song cannot be cut before that.
    first->GetSegment()->GetSegment()->SetStart(220500);
    const std::vector<uint8_t> later = test::Bytes(*set);
    fields.cursor1 = 2.0;
    fields.join = MixingFields::Join::Cut;
    auto cut = Wizard().Ok(fields, Recorder());
    ASSERT_FALSE(cut);
    EXPECT_EQ(cut.Error().text,
              "New cutoff for first segment is prior to its original start position.\nThis tool can not modify the "
              "start position of the first segment.");
    fields.join = MixingFields::Join::Mix;
    fields.fadesEnabled = true;  // no bars: the cut lies at the cursor
    auto mix = Wizard().Ok(fields, Recorder());
    ASSERT_FALSE(mix);
    EXPECT_EQ(mix.Error().text.rfind("New cutoff or Cue Point for first segment", 0), 0u);
    EXPECT_EQ(test::Bytes(*set), later) << "the tempo change is not left behind";
    first->GetSegment()->GetSegment()->SetStart(0);
    fields.fadesEnabled = false;

    // Past the end of song 1 (60 s).
    fields.cursor1 = 70.0;
    fields.join = MixingFields::Join::Cut;
    expectRefused("The first segment would end after the end of its song.");
    // Song 2 read past its end.
    fields.cursor1 = 10.0;
    fields.cursor2 = 25.0;
    expectRefused("The second segment would end after the end of its song.");
    // Song 2 moved onto another segment of its track.
    fields.cursor2 = 2.0;
    test::AddSegment(*set, 2, 600000, 0, 1000, 1.0, "two.wav", "Other");
    const std::vector<uint8_t> withOther = test::Bytes(*set);
    auto overlap = Wizard().Ok(fields, Recorder());
    ASSERT_FALSE(overlap);
    EXPECT_EQ(overlap.Error().text, "The mix would make a segment overlap another one on track 2.");
    EXPECT_EQ(test::Bytes(*set), withOther);
    fields.ratio2 = -1.0;
    EXPECT_FALSE(Wizard().Ok(fields, Recorder()));
    fields.ratio2 = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(Wizard().Ok(fields, Recorder()));
    EXPECT_EQ(test::Bytes(*set), withOther);
}

TEST(MixingWizardSlider, FineTuningReachesOnePercentEitherWay) {
    EXPECT_DOUBLE_EQ(MixingWizard::FineTunedRatio(2.0, 500), 2.0);
    EXPECT_DOUBLE_EQ(MixingWizard::FineTunedRatio(2.0, 1000), 2.02);
    EXPECT_DOUBLE_EQ(MixingWizard::FineTunedRatio(2.0, 0), 1.98);
    EXPECT_EQ(MixingWizard::BarFrames(2, 44100, 120.0), 2 * 88200);
    EXPECT_EQ(MixingWizard::BarFrames(1, 44100, 0.0), 0);
}

TEST(MixSuggestionTest, SongsWithinThreeBeatsWithTheSameTypeWordInTitleOrder) {
    test::SongLibrary library;
    auto typed = [&](const std::string& name, double tempo, int32_t type) {
        const std::string key = library.AddSong(name, 1000, 44100, tempo);
        RefPtr<CSongProfile> song = library.Database().GetSong(key);
        song->SetType(type);
        EXPECT_TRUE(library.Database().PutSong(*song));
        return key;
    };
    const std::string own = typed("Own", 128.0, 5);
    const std::string up = typed("B up", 131.0, 5);
    const std::string down = typed("A down", 125.0, 5);
    typed("C too fast", 131.1, 5);
    typed("D other genre", 128.0, 6);
    auto set = test::NewSet(1);
    CEvent* event = test::AddSegment(*set, 1, 0, 0, 1000, 1.0, own, "Own", 128.0);
    EXPECT_EQ(MixSuggestion::For(library.Database(), *event), (std::vector<std::string>{down, up, own}));
    CEvent* unknown = test::AddSegment(*set, 1, 5000, 0, 1000, 1.0, "/no/such.wav", "X", 128.0);
    EXPECT_TRUE(MixSuggestion::For(library.Database(), *unknown).empty());
}

}  // namespace
}  // namespace vantor
