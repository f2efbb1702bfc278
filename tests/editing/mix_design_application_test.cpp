#include "editing/mix_design_application.h"

#include <gtest/gtest.h>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "editing/set_edit_commands.h"

namespace vantor {
namespace {

RefPtr<CSegmentDesign> Design(int32_t offset, int32_t start, int32_t end, double tempo, const std::string& key) {
    auto design = MakeRef<CSegmentDesign>();
    design->SetPositionOffset(offset);
    design->SetTempo(tempo);
    design->GetSegment()->SetStart(start);
    design->GetSegment()->SetEnd(end);
    design->GetSegment()->SetSongKey(key);
    return design;
}

// A design captured at 120 BPM: on its primary track the primary segment
// (song a from 5 s) and song b later on, on a second track song c.
RefPtr<CMixingProfile> TwoTrackDesign(int32_t arrays = 2) {
    auto clip = MakeRef<CSetClip>();
    clip->SetCount(arrays);
    clip->SetTag(0);
    clip->GetArray(0)->Add(Design(0, 220500, 441000, 120.0, "a.wav").get());
    clip->GetArray(0)->Add(Design(300000, 0, 100000, 120.0, "b.wav").get());
    for (int32_t k = 1; k < arrays; ++k) clip->GetArray(k)->Add(Design(100000, 0, 200000, 124.0, "c.wav").get());
    auto design = MakeRef<CMixingProfile>();
    design->SetName("Drop");
    design->SetTempo(120.0);
    design->SetClip(clip.get());
    return design;
}

class MixDesignApplicationTest : public ::testing::Test {
protected:
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(2);
    SetEditorState state{set.get(), config};
};

TEST_F(MixDesignApplicationTest, EveryClipSegmentLandsWhereTheFormulaSays) {
    // The set plays song a from 2 s at 10 s, at 128 BPM: the design's
    // primary starts 3 s (132300 frames) later in the song.
    CEvent* own = test::AddSegment(*set, 1, 441000, 88200, 1323000, 1.0, "a.wav", "A", 128.0);
    const std::vector<uint8_t> original = test::Bytes(*set);
    auto applied = MixDesignApplication::Apply(state, {1, own}, *TwoTrackDesign());
    ASSERT_TRUE(applied) << applied.Error().text;
    EXPECT_EQ(applied->placed, 3);
    EXPECT_FALSE(applied->tracksShort);
    // B = 441000 + 132300; q = 120 / 128 = 0.9375.
    EXPECT_EQ(test::Positions(*set->GetTrack(1)), (std::vector<int32_t>{441000, 573300, 573300 + 281250}));
    EXPECT_EQ(test::Positions(*set->GetTrack(2)), (std::vector<int32_t>{573300 + 93750}));
    EXPECT_EQ(own->GetSegment()->GetSegment()->GetEnd(), 220499) << "the set segment ends at U - 1";
    const CSegmentDesign& primary = *test::EventAtIndex(*set->GetTrack(1), 1)->GetSegment();
    EXPECT_DOUBLE_EQ(primary.GetSegment()->GetRatio(), 0.9375);
    EXPECT_EQ(primary.GetTempo(), 128.0);
    EXPECT_EQ(primary.GetPositionOffset(), 0);
    EXPECT_DOUBLE_EQ(test::EventAtIndex(*set->GetTrack(2), 0)->GetSegment()->GetSegment()->GetRatio(), 124.0 / 128);
    EXPECT_TRUE(test::TimelineIsSound(*set));

    SetEditCommands commands(state);
    ASSERT_TRUE(commands.Undo());
    EXPECT_FALSE(state.GetHistory().HasRecords());
    EXPECT_EQ(test::Bytes(*set), original);
}

TEST_F(MixDesignApplicationTest, TheSameSongFrameRemovesTheSetSegmentAndMissingTracksWarn) {
    CEvent* own = test::AddSegment(*set, 1, 0, 220500, 441000, 1.0, "a.wav", "A", 120.0);
    auto applied = MixDesignApplication::Apply(state, {1, own}, *TwoTrackDesign(4));
    ASSERT_TRUE(applied) << applied.Error().text;
    EXPECT_TRUE(applied->tracksShort) << "four arrays, two audio tracks";
    EXPECT_EQ(applied->placed, 3);
    // The primary took the set segment's place: at 0 with q = 1.
    EXPECT_EQ(test::Positions(*set->GetTrack(1)), (std::vector<int32_t>{0, 300000}));
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment()->GetSegment()->GetStart(), 220500);
}

TEST_F(MixDesignApplicationTest, RefusalsChangeNothing) {
    CEvent* own = test::AddSegment(*set, 1, 441000, 300000, 1323000, 1.0, "a.wav", "A", 128.0);
    const std::vector<uint8_t> original = test::Bytes(*set);
    auto late = MixDesignApplication::Apply(state, {1, own}, *TwoTrackDesign());
    ASSERT_FALSE(late);
    EXPECT_EQ(late.Error().text,
              "Unable to apply design. The primary segment in the set begins at 7 s. To use\nthis design, the primary "
              "segment must start on or before 5 s.");
    EXPECT_EQ(late.Error().caption, "Apply Mixing Design");
    EXPECT_EQ(test::Bytes(*set), original);

    // One foreign segment in the area is enough to refuse.
    own->GetSegment()->GetSegment()->SetStart(88200);
    test::AddSegment(*set, 2, 700000, 0, 1000, 1.0, "x.wav", "X", 128.0);
    const std::vector<uint8_t> withOther = test::Bytes(*set);
    auto crowded = MixDesignApplication::Apply(state, {1, own}, *TwoTrackDesign());
    ASSERT_FALSE(crowded);
    EXPECT_EQ(crowded.Error().text,
              "Unable to apply mixing design. There are other segments within the area\nthat must be removed first.");
    EXPECT_EQ(test::Bytes(*set), withOther);
    EXPECT_FALSE(state.GetHistory().HasRecords());

    // A design without a primary segment does nothing.
    auto empty = TwoTrackDesign();
    empty->GetClip()->SetTag(1);
    empty->GetClip()->GetArray(1)->RemoveAll();
    auto nothing = MixDesignApplication::Apply(state, {1, own}, *empty);
    ASSERT_TRUE(nothing);
    EXPECT_EQ(nothing->placed, 0);
    EXPECT_EQ(test::Bytes(*set), withOther);
}

}  // namespace
}  // namespace vantor
