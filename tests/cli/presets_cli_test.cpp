#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/wave_file.h"
#include "engine/wave_writer.h"
#include "model/effect_preset_file.h"
#include "model/set_file.h"
#include "support/cli_runner.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::RunVantor;

// A program directory whose effects directory holds Tonebank, with a 30 s
// steady tone in its database.
class PresetsCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        home = fs::path(::testing::TempDir()) / ("presetscli_" + std::to_string(::getpid()) + "_" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
        const std::string effects = fs::path(std::getenv("VANTOR_BIN")).parent_path().string();
        ASSERT_EQ(Run("config set effects-directory " + effects).exitCode, 0);
    }
    void TearDown() override { fs::remove_all(home); }

    std::string Path(const std::string& name) const { return (home / name).string(); }
    test::CliResult Run(const std::string& arguments) { return RunVantor("--home " + home.string() + " " + arguments); }

    fs::path home;
};

TEST_F(PresetsCliTest, ListAddShowAndRemoveGoThroughTheDialogsRules) {
    auto empty = Run("presets list");
    ASSERT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "Waveforms:\n  Flat (built in)\n  Linear (built in)\n  Fast Log (built in)\n  Slow Log (built in)\n"
                         "Profiles:\n");
    EXPECT_FALSE(fs::exists(home / "EFFECTS.PST"));

    auto fades = Run("presets add --fades");
    ASSERT_EQ(fades.exitCode, 0) << fades.err;
    auto listed = Run("presets list");
    EXPECT_NE(listed.out.find("  Fade In: Volume / Level\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  Hold 2: Volume / Level\n"), std::string::npos);
    auto shown = Run("presets show \"Fade Out\"");
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.out, "Fade Out\n  Volume / Level\n        0-9999  0 to -inf\n");
    auto json = Run("presets show \"Fade In\" --json");
    EXPECT_NE(json.out.find("\"fromText\":\"-inf\""), std::string::npos) << json.out;

    // The wizard's fades are not removed; replacing them asks twice.
    auto kept = Run("--yes presets remove \"Hold 1\"");
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_NE(kept.err.find("This preset can not be removed as it is used by the mixing wizard"), std::string::npos)
        << kept.err;
    EXPECT_EQ(Run("--no presets add \"Hold 1\" Volume/Level=0:-3,9999:-3").exitCode, 1);
    ASSERT_EQ(Run("--yes presets add \"Hold 1\" Volume/Level=0:-3,9999:-3").exitCode, 0);
    EXPECT_NE(Run("presets show \"Hold 1\"").out.find("0-9999  -3 to -3"), std::string::npos);

    ASSERT_EQ(Run("presets add Swirl Volume/Level=0:0,5000:-12,9999:0 Echo/Decay=0:0.1,9999:0.5").exitCode, 0);
    EXPECT_NE(Run("presets list").out.find("  Swirl: Volume / Level, Echo / Decay\n"), std::string::npos);
    EXPECT_EQ(Run("presets add Loud Volume/Level=0:0,9999:50").exitCode, 1);   // beyond the control
    EXPECT_EQ(Run("presets add Odd Flanger/Depth=0:0,9999:1").exitCode, 1);   // no such effect
    EXPECT_EQ(Run("presets add Odd Volume/Level=0-0").exitCode, 2);
    EXPECT_EQ(Run("presets add Odd").exitCode, 2);
    EXPECT_EQ(Run("--no presets remove Swirl").exitCode, 1);
    ASSERT_EQ(Run("--yes presets remove Swirl").exitCode, 0);
    EXPECT_EQ(Run("presets show Swirl").exitCode, 1);

    // Waveforms: the built-in names are refused; a stored one is shown in
    // fractions of the control.
    auto builtIn = Run("presets add Linear --waveform Volume/Level=0:0,9999:0");
    EXPECT_EQ(builtIn.exitCode, 1);
    EXPECT_NE(builtIn.err.find("You must specify a new name for the waveform."), std::string::npos) << builtIn.err;
    ASSERT_EQ(Run("presets add Up --waveform Volume/Level=0:-inf,9999:0").exitCode, 0);
    EXPECT_EQ(Run("presets show Up --waveform").out, "Up\n  Volume / Level\n        0-9999  0 to 0.5 (of the control)\n");
    EXPECT_EQ(Run("--yes presets remove Linear --waveform").exitCode, 1);
    ASSERT_EQ(Run("--yes presets remove Up --waveform").exitCode, 0);
    EffectPresets file = ReadEffectPresets(Path("EFFECTS.PST"));
    EXPECT_TRUE(file.clean);
    EXPECT_EQ(file.waveforms->GetCount(), 0);
    EXPECT_EQ(file.profiles->GetCount(), 4);
}

TEST_F(PresetsCliTest, ADamagedPresetsFileIsKeptBeforeItIsWrittenAgain) {
    {
        std::ofstream damaged(Path("EFFECTS.PST"), std::ios::binary);
        damaged.write("\x05\x00\x00\x00\x09", 5);
    }
    auto listed = Run("presets list");
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_NE(listed.err.find("is damaged"), std::string::npos) << listed.err;
    ASSERT_EQ(Run("presets add Mine Volume/Level=0:0,9999:0").exitCode, 0);
    std::ifstream copy(Path("EFFECTS.PST.damaged"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(copy)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, std::string("\x05\x00\x00\x00\x09", 5));
    EXPECT_TRUE(ReadEffectPresets(Path("EFFECTS.PST")).clean);
}

// A Volume fade applied with Apply Effects over [10 s, 20 s] of a steady
// tone, mixed down: the level follows the fade.
TEST_F(PresetsCliTest, AFadeAppliedOverTenSecondsIsHeardAsTheCurveSays) {
    const std::string song = Path("Artist - Tone.wav");
    std::vector<int16_t> pcm(2 * 44100 * 30, 8000);
    WaveWriter writer;
    ASSERT_TRUE(writer.Open(song, WaveFormat{}));
    ASSERT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
    ASSERT_TRUE(writer.Finish(44100 * 30));
    ASSERT_EQ(Run("db add \"" + song + "\"").exitCode, 0);
    ASSERT_EQ(Run("--yes set new " + Path("s.set") + " --tracks 1").exitCode, 0);
    ASSERT_EQ(Run("set add " + Path("s.set") + " --track 1 --at 0 \"" + song + "\" --to 25").exitCode, 0);
    ASSERT_EQ(Run("presets add --fades").exitCode, 0);
    {
        std::ofstream script(Path("fade.txt"));
        script << "track 1\nmarker left 10\nmarker right 20\nadd-effect \"profile=Fade Out\"\nsave\n";
    }
    auto edited = Run("edit " + Path("s.set") + " --script " + Path("fade.txt"));
    ASSERT_EQ(edited.exitCode, 0) << edited.err << edited.out;
    EXPECT_NE(edited.out.find("add-effect: applied"), std::string::npos) << edited.out;
    auto mixed = Run("mixdown " + Path("s.set") + " " + Path("mix.wav"));
    ASSERT_EQ(mixed.exitCode, 0) << mixed.err;

    CWaveFile mix(Path("mix.wav"), 100);
    ASSERT_EQ(mix.GetOpenResult(), 0);
    auto sampleAt = [&](double seconds) {
        int16_t frame[2] = {};
        EXPECT_TRUE(mix.Seek(static_cast<uint32_t>(seconds * 44100)));
        EXPECT_EQ(mix.ReadFrames(frame, 1), 1u);
        EXPECT_EQ(frame[0], frame[1]);
        return static_cast<double>(frame[0]);
    };
    const double full = sampleAt(5.0);
    ASSERT_GT(full, 1000.0);
    EXPECT_EQ(sampleAt(9.9), full);
    // Fade Out: 0 dB to -INF dB, a straight gain ramp from 1 to 0 over the
    // stretched piece [441000, 881955].
    for (double seconds : {10.0, 12.5, 15.0, 17.5, 19.5}) {
        const double expected = full * (1.0 - (seconds * 44100 - 441000) / 440955);
        EXPECT_NEAR(sampleAt(seconds), expected, 0.01 * full + 2) << seconds << " s";
    }
}

// The mixing wizard's mix of two steady tones with fades of 2, 2 and 2 bars,
// mixed down: each fade's level at the start, middle and end of its range.
TEST_F(PresetsCliTest, TheWizardsMixOfTwoTonesIsHeardWithItsFades) {
    auto tone = [&](const std::string& name, int16_t value) {
        const std::string song = Path(name);
        std::vector<int16_t> pcm(2 * 44100 * 40, value);
        WaveWriter writer;
        EXPECT_TRUE(writer.Open(song, WaveFormat{}));
        EXPECT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
        EXPECT_TRUE(writer.Finish(44100 * 40));
        return song;
    };
    const std::string one = tone("Artist - One.wav", 3000);
    const std::string two = tone("Artist - Two.wav", 2000);
    ASSERT_EQ(Run("config set normalization off").exitCode, 0);
    ASSERT_EQ(Run("db add \"" + one + "\" \"" + two + "\"").exitCode, 0);
    ASSERT_EQ(Run("--yes set new " + Path("s.set") + " --tracks 2").exitCode, 0);
    ASSERT_EQ(Run("set add " + Path("s.set") + " --track 1 --at 0 \"" + one + "\" --to 30").exitCode, 0);
    ASSERT_EQ(Run("set add " + Path("s.set") + " --track 2 --at 31 \"" + two + "\" --to 20").exitCode, 0);
    ASSERT_EQ(Run("presets add --fades").exitCode, 0);
    RefPtr<CMusicSet> before = ReadSetFile(Path("s.set"));
    ASSERT_TRUE(before);
    const double tempo = before->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetTempo();
    ASSERT_GT(tempo, 0.0);
    {
        std::ofstream script(Path("mix.txt"));
        script << "mix-helper 1 @1 2 @32 c1=10 c2=0 join=mix fades=2,2,2 mark=on\nsave\n";
    }
    auto edited = Run("edit " + Path("s.set") + " --script " + Path("mix.txt"));
    ASSERT_EQ(edited.exitCode, 0) << edited.err << edited.out;
    EXPECT_NE(edited.out.find("mix-helper: mixing point @441000"), std::string::npos) << edited.out;
    ASSERT_EQ(Run("mixdown " + Path("s.set") + " " + Path("mix.wav")).exitCode, 0);

    // The ranges from the mixing point D = 10 s: two bars at the first
    // segment's tempo each.
    const int64_t bars = static_cast<int64_t>(std::trunc(240.0 * 2 * 44100 / tempo));
    const int64_t d = 441000, h = d + bars, i = h + bars, e = i + bars;
    CWaveFile mix(Path("mix.wav"), 100);
    ASSERT_EQ(mix.GetOpenResult(), 0);
    auto sampleAt = [&](int64_t frame) {
        int16_t pair[2] = {};
        EXPECT_TRUE(mix.Seek(static_cast<uint32_t>(frame)));
        EXPECT_EQ(mix.ReadFrames(pair, 1), 1u);
        return static_cast<double>(pair[0]);
    };
    const double a = 3000, b = 2000;
    EXPECT_NEAR(sampleAt(d - 1000), a, 2);          // song 2 not yet in
    auto expectLevel = [&](int64_t frame, double gainOne, double gainTwo) {
        EXPECT_NEAR(sampleAt(frame), a * gainOne + b * gainTwo, 0.015 * (a + b)) << "frame " << frame;
    };
    // Fade In of song 2 over [D, H - 1] with song 1 held at full level.
    expectLevel(d + 100, 1.0, 0.0);
    expectLevel(d + bars / 2, 1.0, 0.5);
    expectLevel(h - 100, 1.0, 1.0);
    // Hold 1 and Hold 2 over [H, I - 1].
    expectLevel(h + 100, 1.0, 1.0);
    expectLevel(h + bars / 2, 1.0, 1.0);
    expectLevel(i - 100, 1.0, 1.0);
    // Fade Out of song 1 over [I, E - 1]; song 1 ends at E.
    expectLevel(i + 100, 1.0, 1.0);
    expectLevel(i + bars / 2, 0.5, 1.0);
    expectLevel(e - 100, 0.0, 1.0);
    EXPECT_NEAR(sampleAt(e + 1000), b, 2);
}

TEST_F(PresetsCliTest, SuggestListsFittingSongsAndDesignsAreListedAndRemoved) {
    for (const char* name : {"Artist - One.wav", "Artist - Two.wav"}) {
        std::vector<int16_t> pcm(2 * 44100 * 10, 1000);
        WaveWriter writer;
        ASSERT_TRUE(writer.Open(Path(name), WaveFormat{}));
        ASSERT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
        ASSERT_TRUE(writer.Finish(44100 * 10));
    }
    const std::string one = Path("Artist - One.wav");
    ASSERT_EQ(Run("db add \"" + one + "\" \"" + Path("Artist - Two.wav") + "\"").exitCode, 0);
    auto suggested = Run("suggest \"" + one + "\" --json");
    ASSERT_EQ(suggested.exitCode, 0) << suggested.err;
    EXPECT_NE(suggested.out.find("\"One\""), std::string::npos) << suggested.out;
    EXPECT_NE(suggested.out.find("\"Two\""), std::string::npos) << suggested.out;
    EXPECT_EQ(Run("suggest /no/such.wav").exitCode, 1);

    ASSERT_EQ(Run("--yes set new " + Path("s.set") + " --tracks 1").exitCode, 0);
    ASSERT_EQ(Run("set add " + Path("s.set") + " --track 1 --at 0 \"" + one + "\" --to 8").exitCode, 0);
    {
        std::ofstream script(Path("design.txt"));
        script << "marker left 2\nmarker right 4\ndesign create Intro\ndesign create Outro type=mix-out\n";
    }
    auto created = Run("edit " + Path("s.set") + " --script " + Path("design.txt"));
    ASSERT_EQ(created.exitCode, 0) << created.err << created.out;
    EXPECT_EQ(Run("designs list \"" + one + "\"").out, "Manage Mix Designs - One\nWithin:\n  Intro\nMix out:\n  Outro\n");
    auto asked = Run("--no designs remove \"" + one + "\" Intro");
    EXPECT_EQ(asked.exitCode, 1);
    EXPECT_NE(asked.err.find("Remove Intro. Are you sure?"), std::string::npos) << asked.err;
    ASSERT_EQ(Run("--yes designs remove \"" + one + "\" Intro").exitCode, 0);
    EXPECT_EQ(Run("--yes designs remove \"" + one + "\" Intro").exitCode, 1);
    ASSERT_EQ(Run("--yes designs remove \"" + one + "\" Outro --mix-out").exitCode, 0);
    EXPECT_EQ(Run("designs list \"" + one + "\"").out, "Manage Mix Designs - One\nWithin:\nMix out:\n");
}

}  // namespace
}  // namespace vantor
