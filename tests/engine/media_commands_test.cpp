#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "engine/audio_fixtures.h"

namespace vantor {
namespace {

using test::TempDir;

struct Result {
    int code;
    std::string out;
};

Result Vantor(const std::string& arguments) {
    const char* bin = std::getenv("VANTOR_BIN");
    std::string command = std::string(bin ? bin : "vantor") + " " + arguments + " 2>/dev/null";
    Result result{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.out.append(chunk.data(), n);
    int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(MediaCommandsTest, ConvertGivesThePeerDecodersPcmAndInfoDescribesTheFiles) {
    TempDir dir;
    auto pcm = test::SineBurstPcm(2 * 44100);
    ASSERT_TRUE(test::EncodeMp3(dir, pcm, dir / "in.mp3", 320, 2, 44100, "--id3v1-only --tt Title --ta Artist"));
    Result convert = Vantor("convert '" + dir / "in.mp3" + "' '" + dir / "out.wav" + "'");
    ASSERT_EQ(convert.code, 0);
    auto peer = test::PeerDecode(dir, dir / "in.mp3");
    auto wave = test::ReadBytes(dir / "out.wav");
    ASSERT_GT(peer.size(), 0u);
    ASSERT_EQ(wave.size(), peer.size() + 56);  // RIFF, fmt, fact and data headers
    EXPECT_TRUE(std::equal(peer.begin(), peer.end(), wave.begin() + 56));

    Result info = Vantor("info '" + dir / "in.mp3" + "'");
    EXPECT_EQ(info.code, 0);
    EXPECT_NE(info.out.find("bit rate: 320 kbit/s"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("title:    Title"), std::string::npos);
    EXPECT_NE(info.out.find("artist:   Artist"), std::string::npos);
    Result waveInfo = Vantor("info --json '" + dir / "out.wav" + "'");
    EXPECT_EQ(waveInfo.code, 0);
    EXPECT_NE(waveInfo.out.find("\"frames\":" + std::to_string(peer.size() / 4)), std::string::npos) << waveInfo.out;
    EXPECT_EQ(waveInfo.out.find("mp3"), std::string::npos);

    // Failures: exit code 1 and no file; usage errors: 2.
    test::WriteBytes(dir / "bad.mp3", {1, 2, 3});
    EXPECT_EQ(Vantor("convert '" + dir / "bad.mp3" + "' '" + dir / "bad.wav" + "'").code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.wav"));
    EXPECT_EQ(Vantor("info '" + dir / "bad.mp3" + "'").code, 1);
    EXPECT_EQ(Vantor("convert only-one-argument").code, 2);
}

}  // namespace
}  // namespace vantor
