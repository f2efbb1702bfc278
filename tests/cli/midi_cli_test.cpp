#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/cli_runner.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::RunVantor;

// A program directory whose effects directory holds Tonebank.
class MidiCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        home = fs::path(::testing::TempDir()) / ("midicli_" + std::to_string(::getpid()) + "_" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
        const std::string effects = fs::path(std::getenv("VANTOR_BIN")).parent_path().string();
        ASSERT_EQ(Run("config set effects-directory " + effects).exitCode, 0);
    }
    void TearDown() override { fs::remove_all(home); }

    test::CliResult Run(const std::string& arguments) { return RunVantor("--home " + home.string() + " " + arguments); }
    std::vector<uint8_t> MapBytes() const {
        std::ifstream in(home / "MIDI.MAP", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path home;
};

TEST_F(MidiCliTest, MapAddListAndRemoveKeepTheFile) {
    auto empty = Run("midi map list");
    ASSERT_EQ(empty.exitCode, 0) << empty.err;
    EXPECT_EQ(empty.out, "Chnl #  Ctrl #  Description\n");
    EXPECT_FALSE(fs::exists(home / "MIDI.MAP"));

    ASSERT_EQ(Run("midi map add --channel 1 --controller 7 --effect \"Volume/Level\" --track 2").exitCode, 0);
    ASSERT_EQ(Run("midi map add --channel 0 --controller 64 --trigger 3").exitCode, 0);
    ASSERT_EQ(Run("midi map add --channel 0 --controller 64 --trigger 5").exitCode, 0);  // replaces
    auto volume = Run("midi map add --channel 1 --controller 2 --volume 9");
    ASSERT_EQ(volume.exitCode, 0) << volume.err;
    auto listed = Run("midi map list");
    EXPECT_EQ(listed.out, "Chnl #  Ctrl #  Description\n"
                          "     0      64  Sample #5\n"
                          "     1       2  Sample Volume #9\n"
                          "     1       7  Volume/Level on track 2\n");
    // Byte count, then the trigger list (one binding), the effect list and
    // the volume list.
    const auto bytes = MapBytes();
    ASSERT_EQ(bytes.size(), 4u + (8 + 20) + (8 + 4 + 12 + 2 * 259) + (8 + 16));
    EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, static_cast<int>(bytes.size() - 4));
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[4 + 8 + 4 + 4], 64);
    EXPECT_EQ(bytes[4 + 8 + 4 + 8], 127);
    EXPECT_EQ(bytes[4 + 8 + 4 + 12], 5);

    auto json = Run("midi map list --json");
    EXPECT_NE(json.out.find("\"kind\":\"volume\""), std::string::npos) << json.out;

    EXPECT_EQ(Run("midi map remove --channel 1 --controller 2 --kind trigger").exitCode, 1);
    ASSERT_EQ(Run("midi map remove --channel 1 --controller 2").exitCode, 0);
    EXPECT_EQ(Run("midi map list").out.find("Sample Volume"), std::string::npos);
}

TEST_F(MidiCliTest, WrongBindingsAreRefusedAndTheFileKept) {
    ASSERT_EQ(Run("midi map add --channel 0 --controller 1 --trigger 1").exitCode, 0);
    const auto before = MapBytes();
    EXPECT_EQ(Run("midi map add --channel 8 --controller 1 --trigger 1").exitCode, 1);
    EXPECT_EQ(Run("midi map add --channel 0 --controller 128 --volume 1").exitCode, 1);
    EXPECT_EQ(Run("midi map add --channel 0 --controller 1 --trigger 9").exitCode, 1);
    EXPECT_EQ(Run("midi map add --channel 0 --controller 1 --volume 0").exitCode, 1);
    EXPECT_EQ(Run("midi map add --channel 0 --controller 1 --effect \"Nothing/Here\"").exitCode, 2);
    EXPECT_EQ(Run("midi map add --channel 0 --controller 1").exitCode, 2);
    EXPECT_NE(Run("midi map add --channel 0 --controller 1 --trigger 1 --volume 1").exitCode, 0);
    EXPECT_EQ(MapBytes(), before);

    // A damaged file reads as no bindings and is replaced whole on the next change.
    std::ofstream(home / "MIDI.MAP", std::ios::binary) << "\xff\xff\xff\x7f" << "junk";
    EXPECT_EQ(Run("midi map list").out, "Chnl #  Ctrl #  Description\n");
    ASSERT_EQ(Run("midi map add --channel 0 --controller 1 --trigger 1").exitCode, 0);
    EXPECT_EQ(MapBytes(), before);
}

TEST_F(MidiCliTest, PortsAndLearnWithoutAConfiguredInput) {
    auto ports = Run("midi ports");
    ASSERT_EQ(ports.exitCode, 0) << ports.err;
    if (!fs::exists("/dev/snd/seq")) {
        EXPECT_EQ(ports.out, "No MIDI inputs.\n");
    }
    auto learn = Run("midi learn --timeout 0.1");
    EXPECT_EQ(learn.exitCode, 1);
    EXPECT_NE(learn.err.find("no MIDI input is configured"), std::string::npos) << learn.err;
    ASSERT_EQ(Run("config set midi-device 99").exitCode, 0);
    auto missing = Run("midi learn --timeout 0.1");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.empty());
}

}  // namespace
}  // namespace vantor
