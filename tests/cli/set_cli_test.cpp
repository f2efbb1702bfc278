#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_runner.h"
#include "model/set_file.h"
#include "config/configuration.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::RunVantor;

class SetCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        home = fs::path(::testing::TempDir()) / ("cli_" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
    }
    void TearDown() override { fs::remove_all(home); }
    std::string Home() const { return "--home " + home.string() + " "; }

    fs::path home;
};

TEST_F(SetCliTest, NewSetTakesTracksAndTempoFromTheConfiguration) {
    EXPECT_EQ(RunVantor(Home() + "config set tracks 3").exitCode, 0);
    std::string set = (home / "a.set").string();
    auto made = RunVantor(Home() + "set new " + set);
    ASSERT_EQ(made.exitCode, 0);
    RefPtr<CMusicSet> read = ReadSetFile(set);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->GetTracks().GetCount(), 4);
    EXPECT_STREQ(read->GetName(), "a.set");

    auto shown = RunVantor(Home() + "set show " + set + " --json");
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.out.find("\"name\":\"Tempo\""), std::string::npos);
    EXPECT_NE(shown.out.find("\"tempo\":130"), std::string::npos);
    EXPECT_NE(shown.out.find("\"name\":\"Track 3\""), std::string::npos);

    // --tracks overrides; an existing file is not replaced unless confirmed.
    EXPECT_EQ(RunVantor(Home() + "set new " + set + " --tracks 2").exitCode, 1);
    EXPECT_EQ(RunVantor(Home() + "--yes set new " + set + " --tracks 2").exitCode, 0);
    EXPECT_EQ(ReadSetFile(set)->GetTracks().GetCount(), 3);
    EXPECT_EQ(RunVantor(Home() + "set new " + set + " --tracks 13").exitCode, 2);
}

TEST_F(SetCliTest, ShowListsSegmentsWithTheirFrames) {
    NewSetOptions options;
    options.audioTracks = 1;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    auto* event = new CEvent();
    event->SetPosition(44100);
    auto design = MakeRef<CSegmentDesign>();
    design->GetSegment()->SetSongKey("/music/song.wav");
    design->GetSegment()->SetStart(1000);
    design->GetSegment()->SetEnd(89200);
    design->GetSegment()->SetRatio(0.5);
    event->SetSegment(design.get());
    set->GetTrack(1)->AddEvent(event);
    std::string path = (home / "b.set").string();
    ASSERT_TRUE(WriteSetFile(*set, path));

    auto shown = RunVantor(Home() + "set show " + path);
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.out.find("@ 44100 (1.000 s)"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("/music/song.wav"), std::string::npos);
    EXPECT_NE(shown.out.find("-> 44100 frames (1.000 s)"), std::string::npos) << shown.out;

    EXPECT_EQ(RunVantor(Home() + "set show " + (home / "missing.set").string()).exitCode, 1);
    EXPECT_EQ(RunVantor(Home() + "set show").exitCode, 2);
    EXPECT_EQ(RunVantor(Home() + "set frobnicate").exitCode, 2);
}

TEST_F(SetCliTest, ConfigSetChecksLikeTheDialogAndPersists) {
    EXPECT_EQ(RunVantor(Home() + "config set tracks 13").exitCode, 1);
    EXPECT_FALSE(fs::exists(home / "Vantor.cfg"));
    EXPECT_EQ(RunVantor(Home() + "config set tracks many").exitCode, 2);
    EXPECT_EQ(RunVantor(Home() + "config set nonsense 1").exitCode, 2);
    EXPECT_EQ(RunVantor(Home() + "config set hide-private yes").exitCode, 0);
    EXPECT_EQ(RunVantor(Home() + "config set reference-point 0.5").exitCode, 0);
    CConfiguration saved;
    ASSERT_EQ(saved.Load((home / "Vantor.cfg").string()), CConfiguration::FileState::Loaded);
    EXPECT_TRUE(saved.GetHidePrivateMusic());
    EXPECT_EQ(saved.GetReferencePoint(), 0.5);
    EXPECT_EQ(RunVantor(Home() + "config set tempo-detector classic").exitCode, 0);
    EXPECT_EQ(RunVantor(Home() + "config set tempo-range 100,90").exitCode, 2);
    EXPECT_EQ(RunVantor(Home() + "config set tempo-range 90,180").exitCode, 0);
    auto shown = RunVantor(Home() + "config show --json");
    EXPECT_NE(shown.out.find("\"tempoDetector\":\"classic\""), std::string::npos);
    EXPECT_NE(shown.out.find("\"highestTempo\":180"), std::string::npos);
    EXPECT_NE(shown.out.find("\"hidePrivate\":true"), std::string::npos);
    EXPECT_NE(shown.out.find("\"referencePoint\":0.5"), std::string::npos);
}

}  // namespace
}  // namespace vantor
