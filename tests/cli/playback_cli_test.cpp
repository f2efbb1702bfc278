#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/cli_runner.h"
#include "engine/wave_file.h"
#include "engine/wave_writer.h"
#include "model/set_file.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::RunVantor;

// A program directory with two songs in its database and a two-track set.
class PlaybackCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        home = fs::path(::testing::TempDir()) / ("playcli_" + std::to_string(::getpid()) + "_" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
        for (int song = 1; song <= 2; ++song) {
            std::vector<int16_t> pcm(2 * 44100 * 3);
            for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(song * 1000 + i % 500);
            WaveWriter writer;
            ASSERT_TRUE(writer.Open(Song(song), WaveFormat{}));
            ASSERT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
            ASSERT_TRUE(writer.Finish(44100 * 3));
        }
        // Effects are checked against the registered types: Tonebank.so lies beside the program.
        const std::string effects = fs::path(std::getenv("VANTOR_BIN")).parent_path().string();
        ASSERT_EQ(Run("config set effects-directory " + effects).exitCode, 0);
        ASSERT_EQ(Run("db add \"" + Song(1) + "\" \"" + Song(2) + "\"").exitCode, 0);
        ASSERT_EQ(Run("--yes set new " + Set() + " --tracks 2").exitCode, 0);
    }
    void TearDown() override { fs::remove_all(home); }

    std::string Song(int i) const { return (home / ("Artist - Song" + std::to_string(i) + ".wav")).string(); }
    std::string Set() const { return (home / "s.set").string(); }
    test::CliResult Run(const std::string& arguments) { return RunVantor("--home " + home.string() + " " + arguments); }

    fs::path home;
};

TEST_F(PlaybackCliTest, SegmentsAreAddedWithoutOverlapAndMixedDown) {
    EXPECT_EQ(Run("set add " + Set() + " --track 1 --at 0 \"" + Song(1) + "\" --to 2").exitCode, 0);
    EXPECT_EQ(Run("set add " + Set() + " --track 1 --at 1.5 \"" + Song(2) + "\"").exitCode, 1);  // overlapping
    EXPECT_EQ(Run("set add " + Set() + " --track 2 --at 1 \"" + Song(2) + "\" --ratio 2").exitCode, 0);
    EXPECT_EQ(Run("set add " + Set() + " --track 3 --at 0 \"" + Song(2) + "\"").exitCode, 2);   // no such track
    EXPECT_EQ(Run("set add " + Set() + " --track 1 --at 9 /no/such/song.wav").exitCode, 1);
    EXPECT_EQ(Run("set effect " + Set() + " --track 2 --at 1.5 Volume Level 0:-50 1:0").exitCode, 0);
    RefPtr<CMusicSet> set = ReadSetFile(Set());
    ASSERT_TRUE(set);
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    const CEvent* second = set->GetTrack(2)->GetEvents().GetHead()->GetItem();
    EXPECT_EQ(second->GetPosition(), 44100);
    EXPECT_EQ(second->GetSegment()->GetSegment()->GetTimelineLength(), 2 * 3 * 44100);
    EXPECT_EQ(second->GetSegment()->GetEffectProfiles().GetCount(), 1);

    std::string mix = (home / "mix.wav").string();
    auto done = Run("mixdown " + Set() + " " + mix);
    ASSERT_EQ(done.exitCode, 0) << done.out;
    CWaveFile wave(mix, 100);
    ASSERT_EQ(wave.GetOpenResult(), 0);
    EXPECT_EQ(wave.GetLength(), 44100u * 7);  // the second segment ends at 1 s + 6 s

    // Sections give numbered files; a range with --from and --to.
    ASSERT_EQ(Run("mixdown " + Set() + " " + mix + " --from 1 --to 5 --sections 2,4").exitCode, 0);
    for (int b = 1; b <= 3; ++b) {
        CWaveFile part((home / ("mix" + std::to_string(b) + ".wav")).string(), 100);
        ASSERT_EQ(part.GetOpenResult(), 0) << b;
        EXPECT_EQ(part.GetLength(), b == 2 ? 2u * 44100 : (b == 1 ? 44100u : 44100u));
    }
    EXPECT_EQ(Run("mixdown " + Set() + " " + mix + " --from 5 --to 4").exitCode, 2);
    if (std::system("command -v sox >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("sox --i \"" + mix + "\" >/dev/null").c_str()), 0) << "other programs read the mix";
    }
}

TEST_F(PlaybackCliTest, PlayRunsToTheEndOnTheNullDevice) {
    ASSERT_EQ(Run("set add " + Set() + " --track 1 --at 0 \"" + Song(1) + "\" --to 0.5").exitCode, 0);
    auto played = Run("play " + Set() + " --device null");
    ASSERT_EQ(played.exitCode, 0);
    EXPECT_NE(played.out.find("played to 00:00:00.5"), std::string::npos) << played.out;
    EXPECT_EQ(Run("play " + Set() + " --device 1234").exitCode, 2);
    EXPECT_EQ(Run("play " + Set() + " --loop 2").exitCode, 2);
}

// A song that went missing after the set was built: mixing down and playing
// still complete, and each says which song plays as silence and why.
TEST_F(PlaybackCliTest, MissingSongsAreNamedAndPlayAsSilence) {
    ASSERT_EQ(Run("set add " + Set() + " --track 1 --at 0 \"" + Song(1) + "\" --to 0.5").exitCode, 0);
    ASSERT_EQ(Run("set add " + Set() + " --track 2 --at 0 \"" + Song(2) + "\" --to 0.5").exitCode, 0);
    fs::remove(Song(2));
    const std::string mix = (home / "mix.wav").string();
    for (const std::string& command : {"mixdown " + Set() + " " + mix, "play " + Set() + " --device null"}) {
        auto run = Run(command);
        EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.err;
        EXPECT_NE(run.err.find("These songs cannot be read and play as silence:"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Song2"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("the file is missing or unreadable"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Song1"), std::string::npos) << "a song that reads is not named";
    }
    CWaveFile wave(mix, 100);
    ASSERT_EQ(wave.GetOpenResult(), 0);
    EXPECT_EQ(wave.GetLength(), 44100u / 2);
}

// A program directory the user may only read (a shared library, a read-only
// disk): the database opens for reading, and mixing down and playing work.
TEST_F(PlaybackCliTest, MixdownAndPlayReadADatabaseTheyCannotWrite) {
    const auto prefix = test::UnprivilegedPrefix();
    if (!prefix) GTEST_SKIP() << "no way to run without the superuser's rights";
    ASSERT_EQ(Run("set add " + Set() + " --track 1 --at 0 \"" + Song(1) + "\" --to 0.5").exitCode, 0);
    const fs::path out = home.string() + "-out";
    fs::create_directories(out);
    ::chmod(out.c_str(), 0777);
    ASSERT_EQ(::chmod(home.c_str(), 0555), 0);
    auto runReadOnly = [&](const std::string& arguments) {
        return RunVantor("--home " + home.string() + " " + arguments, *prefix);
    };
    auto mixed = runReadOnly("mixdown " + Set() + " " + (out / "mix.wav").string());
    EXPECT_EQ(mixed.exitCode, 0) << mixed.out;
    EXPECT_TRUE(fs::exists(out / "mix.wav"));
    EXPECT_EQ(runReadOnly("play " + Set() + " --device null").exitCode, 0);
    ::chmod(home.c_str(), 0755);
    fs::remove_all(out);
}

}  // namespace
}  // namespace vantor
