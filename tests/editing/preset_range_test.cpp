#include "editing/preset_range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "editing/set_edit_commands.h"
#include "effects/effects_fixture.h"
#include "engine/effect_manager_impl.h"

namespace vantor {
namespace {

constexpr double kSilence = -std::numeric_limits<double>::infinity();

RefPtr<CEffectProfile> Volume(std::initializer_list<CurvePiece> pieces) {
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName("Volume");
    profile->SetParameterName("Level");
    for (const CurvePiece& piece : pieces)
        profile->AddPiece(static_cast<int32_t>(piece.start), static_cast<int32_t>(piece.end), piece.from, piece.to);
    return profile;
}

std::vector<CurvePiece> Curve(const CEvent& event, const char* effect = "Volume") {
    std::vector<CurvePiece> pieces;
    auto& profiles = event.GetSegment()->GetEffectProfiles();
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        if (std::string(profiles.GetAt(i)->GetEffectName()) != effect) continue;
        for (auto* n = profiles.GetAt(i)->GetCurve().GetHead(); n; n = n->GetNext()) {
            const CEffect& e = *n->GetItem();
            pieces.push_back({e.GetStart(), e.GetEnd(), e.GetStartLevel(), e.GetEndLevel()});
        }
    }
    return pieces;
}

TEST(PresetRangeStretch, PiecesLandOnTheRangeToTheFrame) {
    auto profile = Volume({{0, 4999, kSilence, 0.0}, {5000, 9999, 0.0, 0.0}});
    // [10 s, 20 s]: f = 441000 x 0.0001 = 44.1.
    auto pieces = PresetRange::Stretch(*profile, 441000, 882000);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].start, 441000);
    EXPECT_EQ(pieces[0].end, 441000 + 220455);    // trunc(44.1 x 4999 = 220455.9)
    EXPECT_EQ(pieces[1].start, 441000 + 220456);  // a frame after the first ends
    EXPECT_EQ(pieces[1].end, 441000 + 440955);    // trunc(44.1 x 9999)
    EXPECT_EQ(pieces[0].from, kSilence);
    EXPECT_EQ(pieces[1].to, 0.0);

    // Nine pieces over five frames: a piece with no frame of its own goes;
    // no piece ever ends before it starts.
    CEffectProfile nine;
    for (int i = 0; i < 9; ++i) nine.AddPiece(i * 1111, i * 1111 + 1110, 0.0, 0.0);
    auto squeezed = PresetRange::Stretch(nine, 100, 104);
    ASSERT_FALSE(squeezed.empty());
    EXPECT_LT(squeezed.size(), 9u);
    for (const CurvePiece& piece : squeezed) {
        EXPECT_LE(piece.start, piece.end);
        EXPECT_GE(piece.start, 100);
        EXPECT_LE(piece.end, 104);
    }
}

// One audio track: A at 0 playing song frames [0, 661500) at ratio 1 (15 s),
// B right after it playing song frames [100000, 320500) at ratio 2 (10 s on
// the timeline), C far away at 60 s.
class PresetRangeApply : public ::testing::Test {
protected:
    void SetUp() override {
        effects.LoadEffectLibraries(test::BuildDir());
        ASSERT_TRUE(effects.FindEffect("Volume")) << "Tonebank.so not found in " << test::BuildDir();
        a = test::AddSegment(*set, 1, 0, 0, 661500, 1.0, "a.wav", "A");
        b = test::AddSegment(*set, 1, 661500, 100000, 320500, 2.0, "b.wav", "B");
        c = test::AddSegment(*set, 1, 60 * 44100, 0, 44100, 1.0, "c.wav", "C");
    }

    CEffectManagerImpl effects;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(1);
    SetEditorState state{set.get(), config};
    CEvent* a = nullptr;
    CEvent* b = nullptr;
    CEvent* c = nullptr;
};

TEST_F(PresetRangeApply, AFadeOverTwoSegmentsIsClippedToEachInSongFramesAndOneUndoTakesItBack) {
    // A level already on A before the range keeps its part outside it.
    auto before = Volume({{0, 661499, -3.0, -3.0}});
    a->GetSegment()->GetEffectProfiles().Add(before.get());
    const std::vector<uint8_t> original = test::Bytes(*set);

    auto applied = PresetRange::Apply(state, &effects, 1, {Volume({{0, 9999, 0.0, kSilence}})}, 441000, 882000);
    ASSERT_TRUE(applied) << applied.Error().text;
    EXPECT_EQ(applied.Value(), 2);  // A and B; C lies after the range
    EXPECT_EQ(state.GetHistory().GetGroupDepth(), 0);

    // The stretched piece: [441000, 881955], 0 dB down to -INF. A plays
    // frames up to 661499; there the fade is 220499 / 440955 of its way:
    // control position lround(50 + 50 x 0.50005) = 75 of 100, 30 log10(0.5) dB.
    const double quarter = 30 * std::log10(0.5);
    auto onA = Curve(*a);
    ASSERT_EQ(onA.size(), 2u);
    EXPECT_EQ(onA[0].start, 0);
    EXPECT_EQ(onA[0].end, 440999);
    EXPECT_EQ(onA[0].from, -3.0);
    EXPECT_EQ(onA[0].to, -3.0);
    EXPECT_EQ(onA[1].start, 441000);
    EXPECT_EQ(onA[1].end, 661499);
    EXPECT_EQ(onA[1].from, 0.0);
    EXPECT_DOUBLE_EQ(onA[1].to, quarter);

    // B's timeline frame x plays song frame trunc((200000 + x - 661500) / 2).
    auto onB = Curve(*b);
    ASSERT_EQ(onB.size(), 1u);
    EXPECT_EQ(onB[0].start, 100000);
    EXPECT_EQ(onB[0].end, (200000 + 881955 - 661500) / 2);
    EXPECT_DOUBLE_EQ(onB[0].from, quarter);
    EXPECT_EQ(onB[0].to, kSilence);
    EXPECT_TRUE(Curve(*c).empty());
    EXPECT_TRUE(set->IsModified());

    SetEditCommands commands(state);
    ASSERT_TRUE(commands.Undo());
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(test::Bytes(*set), original);
}

TEST_F(PresetRangeApply, RefusedOffAnAudioTrackOrOnAnEmptyRangeAndNothingChangesOutsideSegments) {
    const std::vector<uint8_t> original = test::Bytes(*set);
    auto fade = Volume({{0, 9999, 0.0, kSilence}});
    auto tempo = PresetRange::Apply(state, &effects, 0, {fade}, 0, 44100);
    ASSERT_FALSE(tempo);
    EXPECT_EQ(tempo.Error().text, "Select the the track to use when adding the effect.");
    EXPECT_FALSE(PresetRange::Apply(state, &effects, 2, {fade}, 0, 44100));
    auto empty = PresetRange::Apply(state, &effects, 1, {fade}, 44100, 44100);
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.Error().caption, "Add Effect");
    // Between B's end and C nothing plays: nothing is recorded.
    auto gap = PresetRange::Apply(state, &effects, 1, {fade}, 1102500, 60 * 44100 - 1);
    ASSERT_TRUE(gap);
    EXPECT_EQ(gap.Value(), 0);
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(test::Bytes(*set), original);
}

TEST_F(PresetRangeApply, TheSameRangeTwiceReplacesTheFirstCurveAndEffectsStaySeparate) {
    auto fade = Volume({{0, 9999, 0.0, kSilence}});
    ASSERT_TRUE(PresetRange::Apply(state, &effects, 1, {fade}, 44100, 88200));
    ASSERT_TRUE(PresetRange::Apply(state, &effects, 1, {Volume({{0, 9999, -6.0, -6.0}})}, 44100, 88200));
    auto onA = Curve(*a);
    ASSERT_EQ(onA.size(), 1u) << "the second curve took the first one's place";
    EXPECT_EQ(onA[0].from, -6.0);
    auto echo = MakeRef<CEffectProfile>();
    echo->SetEffectName("Echo");
    echo->SetParameterName("Decay");
    echo->AddPiece(0, 9999, 0.2, 0.4);
    ASSERT_TRUE(PresetRange::Apply(state, &effects, 1, {echo}, 44100, 88200));
    EXPECT_EQ(a->GetSegment()->GetEffectProfiles().GetCount(), 2);
    EXPECT_EQ(Curve(*a, "Echo").size(), 1u);
    EXPECT_EQ(Curve(*a).size(), 1u);
}

}  // namespace
}  // namespace vantor
