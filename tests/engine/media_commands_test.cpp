#include <gtest/gtest.h>

#include <filesystem>

#include "engine/audio_fixtures.h"
#include "support/cli_runner.h"

namespace vantor {
namespace {

using test::CliResult;
using test::RunVantor;
using test::TempDir;

TEST(MediaCommandsTest, ConvertGivesThePeerDecodersPcmAndInfoDescribesTheFiles) {
    TempDir dir;
    auto pcm = test::SineBurstPcm(2 * 44100);
    ASSERT_TRUE(test::EncodeMp3(dir, pcm, dir / "in.mp3", 320, 2, 44100, "--id3v1-only --tt Title --ta Artist"));
    CliResult convert = RunVantor("convert '" + dir / "in.mp3" + "' '" + dir / "out.wav" + "'");
    ASSERT_EQ(convert.exitCode, 0);
    auto peer = test::PeerDecode(dir, dir / "in.mp3");
    auto wave = test::ReadBytes(dir / "out.wav");
    ASSERT_GT(peer.size(), 0u);
    ASSERT_EQ(wave.size(), peer.size() + 56);  // RIFF, fmt, fact and data headers
    EXPECT_TRUE(std::equal(peer.begin(), peer.end(), wave.begin() + 56));

    CliResult info = RunVantor("info '" + dir / "in.mp3" + "'");
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.out.find("bit rate: 320 kbit/s"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("title:    Title"), std::string::npos);
    EXPECT_NE(info.out.find("artist:   Artist"), std::string::npos);
    CliResult waveInfo = RunVantor("info --json '" + dir / "out.wav" + "'");
    EXPECT_EQ(waveInfo.exitCode, 0);
    EXPECT_NE(waveInfo.out.find("\"frames\":" + std::to_string(peer.size() / 4)), std::string::npos) << waveInfo.out;
    EXPECT_EQ(waveInfo.out.find("mp3"), std::string::npos);

    // Failures: exit code 1 and no file; usage errors: 2.
    test::WriteBytes(dir / "bad.mp3", {1, 2, 3});
    EXPECT_EQ(RunVantor("convert '" + dir / "bad.mp3" + "' '" + dir / "bad.wav" + "'").exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.wav"));
    EXPECT_EQ(RunVantor("info '" + dir / "bad.mp3" + "'").exitCode, 1);
    EXPECT_EQ(RunVantor("convert only-one-argument").exitCode, 2);
}

}  // namespace
}  // namespace vantor
