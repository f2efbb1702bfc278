#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "effects/effects_fixture.h"
#include "engine/audio_fixtures.h"

namespace vantor {
namespace {

std::string RunVantor(const std::string& arguments, int& code) {
    const char* bin = std::getenv("VANTOR_BIN");
    std::string command = std::string(bin ? bin : "vantor") + " " + arguments + " 2>/dev/null";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) out.append(chunk.data(), n);
    int status = ::pclose(pipe);
    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

TEST(EffectsCommandsTest, ListsEveryEffectOfTheConfiguredDirectory) {
    test::TempDir home;
    std::filesystem::copy_file(test::TonebankPath(), home / "Tonebank.so");
    int code = -1;
    std::string json = RunVantor("--home '" + home.Path() + "' effects list --json", code);
    EXPECT_EQ(code, 0);
    for (const char* expected :
         {"{\"name\":\"Echo\",\"parameters\":[{\"name\":\"Decay\",\"default\":0.6000000238418579,\"text\":\"0.60\","
          "\"envelopeFixed\":true},{\"name\":\"Delay\",\"default\":1,\"text\":\"1000 ms\",\"envelopeFixed\":true}]}",
          "\"name\":\"Cutoff Frequency\",\"default\":387,\"text\":\"14790 hz\"",
          "{\"name\":\"Volume\",\"parameters\":[{\"name\":\"Level\",\"default\":0,\"text\":\"0.0 dB\"",
          "\"name\":\"Ch. Inverter\"", "\"name\":\"Panning\"", "\"name\":\"Bass Filter\"", "\"name\":\"Flanger\""})
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;

    std::string text = RunVantor("--home '" + home.Path() + "' effects list", code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(text.find("Cutoff Frequency   default 55         \"40 hz\""), std::string::npos) << text;

    // An empty effects directory lists nothing; a wrong verb is a usage error.
    test::TempDir empty;
    EXPECT_EQ(RunVantor("--home '" + empty.Path() + "' effects list --json", code), "[]\n");
    RunVantor("effects frobnicate", code);
    EXPECT_EQ(code, 2);
}

}  // namespace
}  // namespace vantor
