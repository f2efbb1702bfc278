#include "model/builtin_presets.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantor {
namespace {

struct Piece {
    int32_t start;
    int32_t end;
    double from;
    double to;
};

std::vector<Piece> Pieces(const CEffectProfilePreset& shape) {
    std::vector<Piece> pieces;
    for (auto* n = shape.GetProfile().GetCurve().GetHead(); n; n = n->GetNext()) {
        const CEffect& e = *n->GetItem();
        pieces.push_back({e.GetStart(), e.GetEnd(), e.GetStartLevel(), e.GetEndLevel()});
    }
    return pieces;
}

TEST(BuiltInPresets, TheFourShapesRiseFromTheirFirstToTheirLastPiece) {
    auto shapes = BuiltInPresets::Waveforms();
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_STREQ(shapes[0]->GetName(), "Flat");
    EXPECT_STREQ(shapes[1]->GetName(), "Linear");
    EXPECT_STREQ(shapes[2]->GetName(), "Fast Log");
    EXPECT_STREQ(shapes[3]->GetName(), "Slow Log");

    auto flat = Pieces(*shapes[0]);
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].start, 0);
    EXPECT_EQ(flat[0].end, 9999);
    EXPECT_EQ(flat[0].from, 0.5);
    EXPECT_EQ(flat[0].to, 0.5);
    auto linear = Pieces(*shapes[1]);
    ASSERT_EQ(linear.size(), 1u);
    EXPECT_EQ(linear[0].from, 0.0);
    EXPECT_EQ(linear[0].to, 0.5);

    // Fast Log: piece 0 runs 0..1110 from 0 to 0.5 x log10(2)^0.43; piece 8
    // runs 8888..9999 and ends at 0.5.
    auto fast = Pieces(*shapes[2]);
    ASSERT_EQ(fast.size(), 9u);
    EXPECT_EQ(fast[0].start, 0);
    EXPECT_EQ(fast[0].end, 1110);
    EXPECT_EQ(fast[0].from, 0.0);
    EXPECT_NEAR(fast[0].to, 0.2984, 0.00005);
    EXPECT_EQ(fast[8].start, 8888);
    EXPECT_EQ(fast[8].end, 9999);
    EXPECT_DOUBLE_EQ(fast[8].to, 0.5);
    // Slow Log rises slowly at first: its first step is far below Fast Log's.
    auto slow = Pieces(*shapes[3]);
    ASSERT_EQ(slow.size(), 9u);
    EXPECT_DOUBLE_EQ(slow[0].from, 0.0);
    EXPECT_DOUBLE_EQ(slow[8].to, 0.5);
    EXPECT_LT(slow[0].to, 0.05);
    for (size_t i = 1; i < 9; ++i) {
        // The pieces join: each starts a frame after the one before ends,
        // at the level the one before reached.
        for (const auto* shape : {&fast, &slow}) {
            EXPECT_EQ((*shape)[i].start, (*shape)[i - 1].end + 1);
            EXPECT_DOUBLE_EQ((*shape)[i].from, (*shape)[i - 1].to);
            EXPECT_GT((*shape)[i].to, (*shape)[i].from);
        }
    }
}

TEST(BuiltInPresets, NamesOfShapesAndOfTheWizardsFadesAreKnown) {
    for (const char* name : {"Linear", "Fast Log", "Slow Log", "Flat"}) EXPECT_TRUE(BuiltInPresets::IsWaveformName(name));
    EXPECT_FALSE(BuiltInPresets::IsWaveformName("linear"));
    EXPECT_FALSE(BuiltInPresets::IsWaveformName(""));
    auto fades = BuiltInPresets::ReservedFades();
    ASSERT_EQ(fades.size(), 4u);
    for (const auto& fade : fades) {
        EXPECT_TRUE(BuiltInPresets::IsReservedProfileName(fade->GetName()));
        ASSERT_EQ(fade->GetEffectProfiles().GetCount(), 1);
        const CEffectProfile& profile = *fade->GetEffectProfiles().GetAt(0);
        EXPECT_STREQ(profile.GetEffectName(), "Volume");
        EXPECT_STREQ(profile.GetParameterName(), "Level");
    }
    const CEffect& in = *fades[0]->GetEffectProfiles().GetAt(0)->GetCurve().GetHead()->GetItem();
    EXPECT_STREQ(fades[0]->GetName(), "Fade In");
    EXPECT_TRUE(std::isinf(in.GetStartLevel()) && in.GetStartLevel() < 0);
    EXPECT_EQ(in.GetEndLevel(), 0.0);
    EXPECT_FALSE(BuiltInPresets::IsReservedProfileName("Fade in"));
}

}  // namespace
}  // namespace vantor
