#include <gtest/gtest.h>

#include "model/effect_preset_file.h"

#include <limits>

#include "model/builtin_presets.h"
#include "platform/file_io.h"
#include "support/byte_builder.h"
#include "support/temp_dir.h"

namespace vantor {
namespace {

using test::ByteBuilder;

EffectPresets OneOfEach() {
    EffectPresets presets;
    auto wave = MakeRef<CEffectProfilePreset>();
    wave->SetName("Ramp");
    wave->GetProfile().AddPiece(0, 9999, 0.25, 0.75);
    presets.waveforms->Add(wave.get());
    auto fade = MakeRef<CSegmentDesign>();
    fade->SetName("Fade In");
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName("Volume");
    profile->SetParameterName("Gain");
    profile->AddPiece(0, 4999, -60.0, 0.0);
    profile->AddPiece(5000, 9999, 0.0, 0.0);
    fade->GetEffectProfiles().Add(profile.get());
    presets.profiles->Add(fade.get());
    return presets;
}

TEST(EffectPresetFile, WaveformsAreWrittenInTheRecordLayout) {
    EffectPresets presets;
    auto wave = MakeRef<CEffectProfilePreset>();
    wave->SetName("Ramp");
    wave->GetProfile().SetEffectName("Volume");
    wave->GetProfile().SetParameterName("Gain");
    wave->GetProfile().AddPiece(0, 9999, 0.25, 0.75);
    presets.waveforms->Add(wave.get());
    ByteBuilder expected;
    expected.ArrayHeader(5, 1, 5, 5)
        .Text("Ramp", 100)
        .Text("Volume", 100)
        .Text("Gain", 100)
        .I32(1)   // curve: node count
        .I32(0)   // base weight
        .I32(0)   // node weight = the piece's start
        .I32(0).I32(9999).F64(0.25).F64(0.75)
        .ArrayHeader(5, 0, 5, 5);  // no profile presets
    EXPECT_TRUE(test::SameBytes(EffectPresetsToBytes(presets), expected.Bytes()));
}

TEST(EffectPresetFile, ProfilePresetsAreWrittenAsSegmentDesignRecords) {
    EffectPresets presets;
    for (const auto& fade : BuiltInPresets::ReservedFades())
        if (std::string(fade->GetName()) == "Fade Out") presets.profiles->Add(fade.get());
    ByteBuilder expected;
    expected.ArrayHeader(5, 0, 5, 5)  // no waveforms
        .ArrayHeader(5, 1, 5, 5)
        .Text("Fade Out", 255)
        .I32(0)      // position offset
        .I32(0)      // reserved
        .F64(130.0)  // tempo, meaning nothing in a preset
        .F64(1.0)    // normalization
        .I32(0).I32(0).F64(1.0).Text("", 255).Text("", 50)  // segment: start, end, ratio, song key, title
        .ArrayHeader(5, 1, 5, 5)
        .Text("Volume", 100)
        .Text("Level", 100)
        .I32(1).I32(0)  // curve: one node, base weight
        .I32(0)         // the node's weight: its start
        .I32(0).I32(9999).F64(0.0).F64(-std::numeric_limits<double>::infinity());
    EXPECT_TRUE(test::SameBytes(EffectPresetsToBytes(presets), expected.Bytes()));
    EffectPresets read = EffectPresetsFromBytes(expected.Bytes().data(), expected.Bytes().size());
    EXPECT_TRUE(read.clean);
    ASSERT_NE(read.FindProfile("Fade Out"), nullptr);
    const CEffect& piece = *read.FindProfile("Fade Out")->GetEffectProfiles().GetAt(0)->GetCurve().GetHead()->GetItem();
    EXPECT_EQ(piece.GetEndLevel(), -std::numeric_limits<double>::infinity());
}

TEST(EffectPresetFile, RoundTripsAndReadsDamagedAndCutBytesSafely) {
    EffectPresets presets = OneOfEach();
    const std::vector<uint8_t> bytes = EffectPresetsToBytes(presets);
    EffectPresets read = EffectPresetsFromBytes(bytes.data(), bytes.size());
    EXPECT_TRUE(read.clean);
    ASSERT_EQ(read.waveforms->GetCount(), 1);
    EXPECT_STREQ(read.waveforms->GetAt(0)->GetName(), "Ramp");
    ASSERT_NE(read.FindProfile("Fade In"), nullptr);
    EXPECT_EQ(read.FindProfile("Fade In")->GetEffectProfiles().GetAt(0)->GetCurve().GetCount(), 2);
    EXPECT_EQ(read.FindProfile("Hold 1"), nullptr);
    // Read arrays keep their count as capacity; from then on the bytes stay.
    const std::vector<uint8_t> again = EffectPresetsToBytes(read);
    EffectPresets reread = EffectPresetsFromBytes(again.data(), again.size());
    EXPECT_TRUE(reread.clean);
    EXPECT_EQ(EffectPresetsToBytes(reread), again);

    // Every cut is read without harm and known as damaged.
    for (size_t size = 1; size < bytes.size(); ++size) {
        EffectPresets cut = EffectPresetsFromBytes(bytes.data(), size);
        EXPECT_FALSE(cut.clean) << size << " of " << bytes.size();
    }
    std::vector<uint8_t> damaged = bytes;
    damaged[17] = 0x10;  // the waveform name's length: 4196
    EXPECT_FALSE(EffectPresetsFromBytes(damaged.data(), damaged.size()).clean);
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(EffectPresetsFromBytes(longer.data(), longer.size()).clean);
    EXPECT_TRUE(EffectPresetsFromBytes(nullptr, 0).clean);
}

TEST(EffectPresetFile, AMissingFileIsEmptyAndADamagedOneIsKeptBeforeItIsRewritten) {
    test::TempDir dir;
    const std::string path = dir / "EFFECTS.PST";
    EffectPresets missing = ReadEffectPresets(path);
    EXPECT_TRUE(missing.clean);
    EXPECT_EQ(missing.waveforms->GetCount(), 0);
    EXPECT_EQ(missing.profiles->GetCount(), 0);

    std::vector<uint8_t> bytes = EffectPresetsToBytes(OneOfEach());
    bytes.resize(bytes.size() - 7);
    ASSERT_TRUE(WriteFileReplacing(path, bytes.data(), bytes.size()));
    EffectPresets read = ReadEffectPresets(path);
    EXPECT_FALSE(read.clean);
    ASSERT_TRUE(WriteEffectPresets(read, path));
    EXPECT_EQ(ReadWholeFile(path + kDamagedPresetsSuffix), bytes);
    EXPECT_TRUE(ReadEffectPresets(path).clean);
    // The copy is made once: a second write keeps it as it was.
    ASSERT_TRUE(WriteEffectPresets(read, path));
    EXPECT_EQ(ReadWholeFile(path + kDamagedPresetsSuffix), bytes);
}

}  // namespace
}  // namespace vantor
