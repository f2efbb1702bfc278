#include <gtest/gtest.h>

#include <filesystem>

#include "effects/effects_fixture.h"
#include "engine/audio_fixtures.h"
#include "support/cli_runner.h"

namespace vantor {
namespace {

using test::RunVantor;

TEST(EffectsCommandsTest, ListsEveryEffectOfTheConfiguredDirectory) {
    test::TempDir home;
    std::filesystem::copy_file(test::TonebankPath(), home / "Tonebank.so");
    test::CliResult listed = RunVantor({"--home", home.Path(), "effects", "list", "--json"});
    EXPECT_EQ(listed.exitCode, 0);
    const std::string& json = listed.out;
    for (const char* expected :
         {"{\"name\":\"Echo\",\"parameters\":[{\"name\":\"Decay\",\"default\":0.6000000238418579,\"text\":\"0.60\","
          "\"envelopeFixed\":true},{\"name\":\"Delay\",\"default\":1,\"text\":\"1000 ms\",\"envelopeFixed\":true}]}",
          "\"name\":\"Cutoff Frequency\",\"default\":387,\"text\":\"14790 hz\"",
          "{\"name\":\"Volume\",\"parameters\":[{\"name\":\"Level\",\"default\":0,\"text\":\"0.0 dB\"",
          "\"name\":\"Ch. Inverter\"", "\"name\":\"Panning\"", "\"name\":\"Bass Filter\"", "\"name\":\"Flanger\""})
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;

    test::CliResult text = RunVantor({"--home", home.Path(), "effects", "list"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("Cutoff Frequency   default 55         \"40 hz\""), std::string::npos) << text.out;

    // An empty effects directory lists nothing; a wrong verb is a usage error.
    test::TempDir empty;
    EXPECT_EQ(RunVantor({"--home", empty.Path(), "effects", "list", "--json"}).out, "[]\n");
    EXPECT_EQ(RunVantor("effects frobnicate").exitCode, 2);
}

}  // namespace
}  // namespace vantor
