#include "editing/effect_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editing/segment_placement.h"
#include "effects/effects_fixture.h"

namespace vantor {
namespace {

// A one-track set with a two-second segment at 1 s, and the standard effects.
class EffectPlacement : public ::testing::Test {
protected:
    void SetUp() override {
        effects.LoadEffectLibraries(test::BuildDir());
        ASSERT_TRUE(effects.FindEffect("Echo")) << "Tonebank.so not found in " << test::BuildDir();
        NewSetOptions options;
        options.audioTracks = 1;
        set = CMusicSet::CreateNew(options);
        auto design = MakeRef<CSegmentDesign>();
        design->GetSegment()->SetStart(0);
        design->GetSegment()->SetEnd(88200);
        ASSERT_TRUE(InsertSegmentEvent(*set, 1, 44100, design.get(), nullptr));
    }
    const CArray<CEffectProfile>& TrackEffects() { return set->GetTrack(1)->GetTrackEffects(); }

    CEffectManagerImpl effects;
    RefPtr<CMusicSet> set;
};

TEST_F(EffectPlacement, ValuesOutsideTheRegisteredParameterRangeAreRefusedWithTheRange) {
    for (double decay : {-5.0, 1e9, std::numeric_limits<double>::quiet_NaN()}) {
        Status refused = AddTrackEffect(*set, effects, 1, "Echo", "Decay", decay);
        ASSERT_FALSE(refused) << decay;
        EXPECT_NE(refused.Error().text.find("Echo Decay takes values from 0 to 0.8"), std::string::npos)
            << refused.Error().text;
    }
    EXPECT_FALSE(AddTrackEffect(*set, effects, 1, "Echo", "Delay", 1e9));
    EXPECT_FALSE(AddTrackEffect(*set, effects, 1, "Echo", "Colour", 0.1));
    EXPECT_FALSE(AddTrackEffect(*set, effects, 1, "Ekko", "Decay", 0.1));
    EXPECT_FALSE(AddTrackEffect(*set, effects, 2, "Echo", "Decay", 0.1));
    EXPECT_EQ(TrackEffects().GetCount(), 0);
    EXPECT_FALSE(set->IsModified());
}

TEST_F(EffectPlacement, TheSameParameterTwiceReplacesTheFirstValue) {
    ASSERT_TRUE(AddTrackEffect(*set, effects, 1, "Echo", "Decay", 0.35));
    ASSERT_TRUE(AddTrackEffect(*set, effects, 1, "Echo", "Delay", 0.46));
    ASSERT_TRUE(AddTrackEffect(*set, effects, 1, "Echo", "Decay", 0.5));
    ASSERT_EQ(TrackEffects().GetCount(), 2);
    const CEffectProfile* decay = TrackEffects().GetAt(1);
    EXPECT_STREQ(decay->GetParameterName(), "Decay");
    EXPECT_EQ(decay->GetCurve().GetHead()->GetItem()->GetStartLevel(), 0.5);
}

TEST_F(EffectPlacement, EnvelopeLevelsFollowTheParameterRangeAndLandInSongFrames) {
    // Volume's control reaches from -INF dB to about +9 dB.
    auto loud = AddSegmentEnvelope(*set, effects, 1, 1.5, "Volume", "Level", {{0, -50}, {1, 20}});
    EXPECT_FALSE(loud);
    auto fade = AddSegmentEnvelope(*set, effects, 1, 1.5, "Volume", "Level", {{0, -50}, {1, 0}});
    ASSERT_TRUE(fade) << fade.Error().text;
    const CEffectProfile* profile = fade.Value()->GetSegment()->GetEffectProfiles().GetAt(0);
    const CEffect* piece = profile->GetCurve().GetHead()->GetItem();
    EXPECT_EQ(piece->GetStart(), 0);
    EXPECT_EQ(piece->GetEnd(), 44100);
    EXPECT_FALSE(AddSegmentEnvelope(*set, effects, 1, 0.5, "Volume", "Level", {{0, -50}, {1, 0}}))
        << "no segment plays at 0.5 s";
    ASSERT_TRUE(AddSegmentEnvelope(*set, effects, 1, 2.0, "Volume", "Level", {{0, 0}, {2, -50}}));
    EXPECT_EQ(fade.Value()->GetSegment()->GetEffectProfiles().GetCount(), 1) << "replaced, not added";
}

}  // namespace
}  // namespace vantor
