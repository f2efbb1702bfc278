#include "control/sample_bank.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "engine/wave_writer.h"
#include "platform/file_io.h"
#include "platform/null_audio_device.h"
#include "support/temp_dir.h"

namespace vantor {
namespace {

AudioDeviceOpener NullOpener() {
    auto clock = std::make_shared<RealAudioClock>();
    return [clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); };
}

std::string WriteWave(const test::TempDir& dir, const std::string& name) {
    std::string path = dir / name;
    std::vector<int16_t> pcm(2 * 4410, 1000);
    WaveWriter writer;
    EXPECT_TRUE(writer.Open(path, WaveFormat{}));
    EXPECT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
    EXPECT_TRUE(writer.Finish(4410));
    return path;
}

// The preset file from its layout: count, then 255 bytes of name and 255 of
// path per entry.
std::vector<uint8_t> PresetFile(int32_t count, const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                  static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
    for (const auto& [name, path] : entries) {
        std::vector<uint8_t> entry(510, 0);
        std::copy(name.begin(), name.end(), entry.begin());
        std::copy(path.begin(), path.end(), entry.begin() + 255);
        bytes.insert(bytes.end(), entry.begin(), entry.end());
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileReplacing(path, bytes.data(), bytes.size()));
}

TEST(SampleBankTest, SavedPresetsHaveTheLayoutsBytes) {
    test::TempDir dir;
    CSampleBank bank(std::nullopt, NullOpener());
    const std::string kick = WriteWave(dir, "kick.wav");
    const std::string horn = WriteWave(dir, "horn.wav");
    ASSERT_TRUE(bank.LoadSlot(0, "Kick", kick));
    ASSERT_TRUE(bank.LoadSlot(8, "Horn", horn));
    EXPECT_FALSE(bank.LoadSlot(9, "Out", kick));
    EXPECT_FALSE(bank.LoadSlot(-1, "Out", kick));
    ASSERT_TRUE(bank.SavePresets(dir / "live.sp"));
    std::vector<std::pair<std::string, std::string>> expected(9);
    expected[0] = {"Kick", kick};
    expected[8] = {"Horn", horn};
    EXPECT_EQ(ReadWholeFile(dir / "live.sp").value(), PresetFile(9, expected));
}

TEST(SampleBankTest, ReadingTakesAtMostNineEntriesAndChecksTheCount) {
    test::TempDir dir;
    const std::string a = WriteWave(dir, "a.wav");
    CSampleBank bank(std::nullopt, NullOpener());
    ASSERT_TRUE(bank.LoadSlot(5, "Kept", a));

    // Three entries load slots 0 to 2; the others keep what they held.
    WriteFile(dir / "three.sp", PresetFile(3, {{"One", a}, {"Two", a}, {"Three", "/no/such.wav"}}));
    EXPECT_TRUE(bank.LoadPresets(dir / "three.sp"));
    EXPECT_EQ(bank.GetSlotName(0), "One");
    EXPECT_EQ(bank.GetSlotName(1), "Two");
    EXPECT_EQ(bank.GetSlotName(2), "");  // its wave cannot be opened: silent
    EXPECT_EQ(bank.GetSlotName(5), "Kept");

    // Counts outside 1 to 19 load nothing but still read as a file.
    for (int32_t count : {0, 20, -1}) {
        WriteFile(dir / "bad.sp", PresetFile(count, {{"Bad", a}}));
        EXPECT_TRUE(bank.LoadPresets(dir / "bad.sp"));
        EXPECT_EQ(bank.GetSlotName(0), "One") << count;
    }
    // A count larger than the entries present reads the whole entries only.
    auto cut = PresetFile(9, {{"Cut", a}, {"Half", a}});
    cut.resize(4 + 510 + 300);
    EXPECT_EQ(CSampleBank::ParsePresets(cut.data(), cut.size()).size(), 1u);
    // A name without its NUL keeps 254 characters.
    auto full = PresetFile(1, {{std::string(255, 'n'), a}});
    auto entries = CSampleBank::ParsePresets(full.data(), full.size());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first.size(), 254u);
    EXPECT_FALSE(bank.LoadPresets(dir / "missing.sp"));
}

TEST(SampleBankTest, VolumesStayWithinTheirRange) {
    CSampleBank bank(std::nullopt, NullOpener());
    bank.SetSlotVolume(8, 127 * 0.025);
    EXPECT_EQ(bank.GetSlotVolume(8), static_cast<int32_t>(3.175 * 8192));
    bank.SetSlotVolume(8, 40 * 0.025);
    EXPECT_EQ(bank.GetSlotVolume(8), 8192);
    bank.SetSlotVolume(8, 4.0);
    bank.SetSlotVolume(8, -0.5);
    bank.SetSlotVolume(8, std::nan(""));
    EXPECT_EQ(bank.GetSlotVolume(8), 8192);
    bank.SetSlotVolume(9, 1.5);
    EXPECT_EQ(bank.GetSlotVolume(9), 0);
}

}  // namespace
}  // namespace vantor
