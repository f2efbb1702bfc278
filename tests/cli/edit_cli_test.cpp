#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/cli_runner.h"
#include "database/music_database.h"
#include "engine/audio_fixtures.h"
#include "model/set_file.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using test::RunVantor;

// A program directory with a database of one song and a set holding it on
// track 1 from 1 s to 6 s.
class EditCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        home = fs::path(::testing::TempDir()) / ("edit_cli_" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        song = (home / "song.wav").string();
        test::WriteBytes(song, test::WaveBytes(test::StaircasePcm(220500)));
        {
            CMusicDatabase database;
            ASSERT_TRUE(database.Open(home.string() + "/"));
            CSongProfile profile;
            profile.SetLocalPath(song);
            profile.SetTitle("Staircase");
            profile.SetTempo(130.0);
            ASSERT_TRUE(database.PutSong(profile));
        }
        ASSERT_EQ(RunVantor(Home() + "set new " + Set() + " --tracks 2").exitCode, 0);
        ASSERT_EQ(RunVantor(Home() + "set add " + Set() + " " + song + " --track 1 --at 1").exitCode, 0);
    }
    void TearDown() override { fs::remove_all(home); }

    std::string Home() const { return "--home " + home.string() + " "; }
    std::string Set() const { return (home / "edit.set").string(); }
    std::string Script(const std::string& text) const {
        std::string path = (home / "script.txt").string();
        std::ofstream(path) << text;
        return path;
    }
    std::vector<int32_t> Positions(int track) const {
        std::vector<int32_t> positions;
        RefPtr<CMusicSet> set = ReadSetFile(Set());
        for (auto* n = set->GetTrack(track)->GetEvents().GetHead(); n; n = n->GetNext())
            positions.push_back(n->GetItem()->GetPosition());
        return positions;
    }

    fs::path home;
    std::string song;
};

TEST_F(EditCliTest, AScriptSplitsCopiesDragsUndoesAndSaves) {
    auto run = RunVantor(Home() + "edit " + Set() + " --script " + Script(R"(
select 1 @2
marker left 3
split
select 1 @4
copy
track 2
marker left 0.5
paste
snap off
drag 2 @1 +1.0
drag 2 @3 +1.0
undo
save
show
)"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Positions(1), (std::vector<int32_t>{44100, 132300}));
    EXPECT_EQ(Positions(2), (std::vector<int32_t>{66150}));
    EXPECT_NE(run.out.find("saved " + Set()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("track 2 \"Track 2\"\n  @66150 (1.500 s) segment \"Staircase\""), std::string::npos) << run.out;
}

TEST_F(EditCliTest, QuestionsTakeTheAnswerLinesElseTheFlags) {
    const std::string drop = "select 1 @2\ndrop " + song + " 2 @9 to=1 name=New choice=nothing\n";
    auto cancelled = RunVantor(Home() + "edit " + Set() + " --script " + Script(drop));
    ASSERT_EQ(cancelled.exitCode, 0);
    EXPECT_NE(cancelled.out.find("Insert Segment: Replace segment \"Staircase\"? -> cancel"), std::string::npos)
        << cancelled.out;

    auto answered = RunVantor(Home() + "edit " + Set() + " --script " + Script(drop + "answer ok\n" + drop.substr(12) + "quit\n"));
    ASSERT_EQ(answered.exitCode, 0);
    EXPECT_NE(answered.out.find("Replace segment \"Staircase\"? -> ok"), std::string::npos) << answered.out;
    // Not saved: the close question had no answer, and standard input is no terminal.
    EXPECT_NE(answered.out.find("Close Music Set: Do you wish to save? -> cancel"), std::string::npos) << answered.out;
    EXPECT_EQ(ReadSetFile(Set())->GetTrack(1)->GetEvents().GetCount(), 1);
    EXPECT_STREQ(ReadSetFile(Set())->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetName(), "Staircase");

    auto yes = RunVantor(Home() + "--yes edit " + Set() + " --script " + Script(drop));
    ASSERT_EQ(yes.exitCode, 0);
    EXPECT_NE(yes.out.find("Do you wish to save? -> yes"), std::string::npos) << yes.out;
    RefPtr<CMusicSet> saved = ReadSetFile(Set());
    EXPECT_STREQ(saved->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetName(), "New");
    EXPECT_EQ(saved->GetTrack(1)->GetEvents().GetHead()->GetItem()->GetSegment()->GetSegment()->GetEnd(), 44100);
}

TEST_F(EditCliTest, RefusalsAreOutputAndBadLinesAreUsageErrors) {
    auto refused = RunVantor(Home() + "edit " + Set() + " --script " + Script("track 0\npaste\nmarker right 0\nmarker left 2\nloop\n"));
    ASSERT_EQ(refused.exitCode, 0);
    EXPECT_EQ(refused.out,
              "Paste Set Section: The clipboard holds no set section to paste.\n"
              "error: Set Loop: Place left marker at position to start loop, and right marker at the position to end the "
              "loop.\n");
    auto bad = RunVantor(Home() + "edit " + Set() + " --script " + Script("select 1 @2\nerase\nsplit here\n"));
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(Positions(1), std::vector<int32_t>{44100});  // nothing saved
    EXPECT_EQ(RunVantor(Home() + "edit " + (home / "missing.set").string() + " --script " + Script("")).exitCode, 1);
    EXPECT_EQ(RunVantor(Home() + "edit " + Set() + " --script " + (home / "none.txt").string()).exitCode, 1);
    EXPECT_EQ(RunVantor(Home() + "edit").exitCode, 2);
    // Standard input that ends at once closes the set unchanged.
    EXPECT_EQ(RunVantor(Home() + "edit " + Set()).exitCode, 0);
}

TEST_F(EditCliTest, HelpDocumentsTheLanguage) {
    auto help = RunVantor("edit --help");
    ASSERT_EQ(help.exitCode, 0);
    for (const char* command : {"marker left|right TIME", "drag TRACK @TIME", "drop KEY TRACK @TIME", "event update",
                                "track-effect add EFFECT PARAMETER", "answer ok|cancel|yes|no", "quit"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
}

}  // namespace
}  // namespace vantor
