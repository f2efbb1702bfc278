// What a hostile or unlucky user may do to the command line: sets and
// configurations in formats the engine cannot render, files that would be
// written over, songs that went missing, places that cannot be written.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "engine/wave_writer.h"
#include "platform/file_io.h"
#include "support/cli_runner.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A program directory with the standard effects, two three-second songs and a
// one-track set that plays the first for two seconds.
class SafetyCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        home = fs::path(::testing::TempDir()) / ("safetycli_" + std::to_string(::getpid()) + "_" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
        for (int song = 1; song <= 2; ++song) {
            std::vector<int16_t> pcm(2 * 44100 * 3, static_cast<int16_t>(song * 1000));
            WaveWriter writer;
            ASSERT_TRUE(writer.Open(Song(song), WaveFormat{}));
            ASSERT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
            ASSERT_TRUE(writer.Finish(44100 * 3));
        }
        const std::string effects = fs::path(std::getenv("VANTOR_BIN")).parent_path().string();
        ASSERT_EQ(Run({"config", "set", "effects-directory", effects}).exitCode, 0);
        ASSERT_EQ(Run({"db", "add", Song(1), Song(2)}).exitCode, 0);
        ASSERT_EQ(Run({"--yes", "set", "new", Set(), "--tracks", "1"}).exitCode, 0);
        ASSERT_EQ(Run({"set", "add", Set(), Song(1), "--track", "1", "--at", "0", "--to", "2"}).exitCode, 0);
    }
    void TearDown() override { fs::remove_all(home); }

    std::string Song(int i) const { return (home / ("Artist - Song" + std::to_string(i) + ".wav")).string(); }
    std::string Set() const { return (home / "s.set").string(); }
    std::string Path(const std::string& name) const { return (home / name).string(); }
    test::CliResult Run(std::vector<std::string> words) {
        words.insert(words.begin(), {"--home", home.string()});
        return test::RunVantor(words);
    }
    std::vector<uint8_t> Bytes(const std::string& path) { return ReadWholeFile(path).value_or(std::vector<uint8_t>()); }
    // Overwrites a little-endian 32-bit field of a file.
    void Patch(const std::string& path, size_t offset, uint32_t value) {
        std::vector<uint8_t> bytes = Bytes(path);
        ASSERT_GE(bytes.size(), offset + 4);
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
        ASSERT_TRUE(WriteFileReplacing(path, bytes.data(), bytes.size()));
    }

    fs::path home;
};

// The set record starts with its name (4 + 255 bytes), then rate, channels,
// block align and bits per sample.
TEST_F(SafetyCli, ASetInAFormatTheEngineCannotRenderIsRefusedAndLeftAsItWas) {
    struct Field {
        size_t offset;
        uint32_t value;
    };
    for (Field field : {Field{263, 1}, Field{271, 8}, Field{267, 1}, Field{259, 0}, Field{259, 0xffffffffu},
                        Field{263, 0}}) {
        ASSERT_EQ(Run({"--yes", "set", "new", Path("bad.set"), "--tracks", "1"}).exitCode, 0);
        Patch(Path("bad.set"), field.offset, field.value);
        const std::vector<uint8_t> before = Bytes(Path("bad.set"));
        auto mixed = Run({"--yes", "mixdown", Path("bad.set"), Path("bad.wav")});
        EXPECT_EQ(mixed.exitCode, 1) << field.offset;
        EXPECT_NE(mixed.err.find("Only 16-bit stereo PCM at 44100 Hz"), std::string::npos) << mixed.err;
        EXPECT_FALSE(fs::exists(Path("bad.wav")));
        EXPECT_EQ(Run({"play", Path("bad.set"), "--device", "null"}).exitCode, 1);
        EXPECT_EQ(Run({"set", "add", Path("bad.set"), Song(2), "--track", "1", "--at", "0"}).exitCode, 1);
        EXPECT_EQ(Bytes(Path("bad.set")), before) << "the set file is not changed";
    }
}

// The configuration body: two device identifiers (32 bytes), then the rate
// and the channels of new sets.
TEST_F(SafetyCli, AConfigurationThatStatesAnotherFormatMakesNoSet) {
    Patch(Path("Vantor.cfg"), 4 + 36, 1);
    auto made = Run({"--yes", "set", "new", Path("mono.set")});
    EXPECT_EQ(made.exitCode, 1);
    EXPECT_NE(made.err.find("1 channels"), std::string::npos) << made.err;
    EXPECT_FALSE(fs::exists(Path("mono.set")));
}

TEST_F(SafetyCli, NothingIsWrittenOverWithoutConsentNorOverASongOfTheSet) {
    const std::vector<uint8_t> theirs = {'m', 'i', 'n', 'e'};
    ASSERT_TRUE(WriteFileReplacing(Path("mix.wav"), theirs.data(), theirs.size()));
    auto asked = Run({"mixdown", Set(), Path("mix.wav")});
    EXPECT_EQ(asked.exitCode, 1);
    EXPECT_NE(asked.err.find("already exists"), std::string::npos) << asked.err;
    EXPECT_EQ(Bytes(Path("mix.wav")), theirs);
    EXPECT_EQ(Run({"--no", "mixdown", Set(), Path("mix.wav")}).exitCode, 1);
    EXPECT_EQ(Bytes(Path("mix.wav")), theirs);
    EXPECT_EQ(Run({"--yes", "mixdown", Set(), Path("mix.wav")}).exitCode, 0);
    EXPECT_NE(Bytes(Path("mix.wav")), theirs);

    const std::vector<uint8_t> song = Bytes(Song(1));
    auto own = Run({"--yes", "mixdown", Set(), Song(1)});
    EXPECT_EQ(own.exitCode, 1);
    EXPECT_NE(own.err.find("is a song of this set"), std::string::npos) << own.err;
    EXPECT_EQ(Bytes(Song(1)), song);

    ASSERT_TRUE(WriteFileReplacing(Path("out.wav"), theirs.data(), theirs.size()));
    EXPECT_EQ(Run({"convert", Path("any.mp3"), Path("out.wav")}).exitCode, 1);
    EXPECT_EQ(Bytes(Path("out.wav")), theirs);
}

TEST_F(SafetyCli, FailuresNameWhatFailedAndWhy) {
    auto missingDirectory = Run({"--yes", "mixdown", Set(), Path("no/such/dir/mix.wav")});
    EXPECT_EQ(missingDirectory.exitCode, 1);
    EXPECT_NE(missingDirectory.err.find("No such file or directory"), std::string::npos) << missingDirectory.err;
    auto convert = Run({"convert", Song(1), Path("no/such/dir/out.wav")});
    EXPECT_EQ(convert.exitCode, 1);
    EXPECT_NE(convert.err.find("No such file or directory"), std::string::npos) << convert.err;

    // A song gone from the disk: the mixdown completes, and says which song is silent.
    fs::remove(Song(1));
    auto silent = Run({"--yes", "mixdown", Set(), Path("mix.wav")});
    EXPECT_EQ(silent.exitCode, 0) << silent.err;
    EXPECT_NE(silent.err.find("Song1.wav): the file is missing"), std::string::npos) << silent.err;
}

TEST_F(SafetyCli, ADamagedConfigurationIsReportedAndKept) {
    const std::vector<uint8_t> damaged = {0xff, 0xff, 0, 0, 1, 2, 3};
    ASSERT_TRUE(WriteFileReplacing(Path("Vantor.cfg"), damaged.data(), damaged.size()));
    auto shown = Run({"config", "show"});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.err.find("is damaged"), std::string::npos) << shown.err;
    ASSERT_EQ(Run({"config", "set", "tracks", "5"}).exitCode, 0);
    EXPECT_EQ(Bytes(Path("Vantor.cfg.damaged")), damaged);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// Two processes adding to one set: each edit reads the set after the other's
// has been saved, so no segment is lost.
TEST_F(SafetyCli, ConcurrentEditsOfOneSetKeepEverySegment) {
    ASSERT_EQ(Run({"--yes", "set", "new", Set(), "--tracks", "2"}).exitCode, 0);
    auto adds = [&](int track) {
        std::string script;
        for (int i = 0; i < 4; ++i)
            script += test::ShellQuote(std::getenv("VANTOR_BIN")) + " --home " + test::ShellQuote(home.string()) +
                      " set add " + test::ShellQuote(Set()) + " " + test::ShellQuote(Song(track)) + " --track " +
                      std::to_string(track) + " --at " + std::to_string(i * 3) + " >/dev/null 2>&1; ";
        return "(" + script + ")";
    };
    const std::string both = adds(1) + " & " + adds(2) + " & wait";
    ASSERT_EQ(std::system(("bash -c " + test::ShellQuote(both)).c_str()), 0);
    auto shown = Run({"set", "show", Set()});
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.out.find("Track 1 \"Track 1\": 4 events"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Track 2 \"Track 2\": 4 events"), std::string::npos) << shown.out;
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// A disk that fills during the mixdown (a file size limit stands for it):
// exit 1 with the file and the reason, and no file with wrong sizes left.
TEST_F(SafetyCli, AMixdownThatCannotBeWrittenWholeFailsAndLeavesNoFile) {
    const std::string command = "trap '' XFSZ; ulimit -f 64; " + test::ShellQuote(std::getenv("VANTOR_BIN")) +
                                " --home " + test::ShellQuote(home.string()) + " --yes mixdown " +
                                test::ShellQuote(Set()) + " " + test::ShellQuote(Path("full.wav")) + " 2>" +
                                test::ShellQuote(Path("err.txt"));
    const int status = std::system(("bash -c " + test::ShellQuote(command)).c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::vector<uint8_t> err = Bytes(Path("err.txt"));
    const std::string text(err.begin(), err.end());
    EXPECT_NE(text.find("Unable to write " + Path("full.wav") + ": File too large"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(Path("full.wav")));
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// SIGTERM and SIGHUP stop a mixdown as Ctrl-C does: a valid, shorter file.
TEST_F(SafetyCli, ATerminatedMixdownLeavesAValidShorterFile) {
    for (const char* signal : {"TERM", "HUP"}) {
        const std::string out = Path(std::string("stopped-") + signal + ".wav");
        const std::string command = test::ShellQuote(std::getenv("VANTOR_BIN")) + " --home " +
                                    test::ShellQuote(home.string()) + " --yes mixdown " + test::ShellQuote(Set()) +
                                    " " + test::ShellQuote(out) + " --to 36000 >/dev/null 2>&1 & pid=$!; sleep 0.5; " +
                                    "kill -" + signal + " $pid; wait $pid";
        const int status = std::system(("bash -c " + test::ShellQuote(command)).c_str());
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 1) << signal;
        auto info = Run({"info", out, "--json"});
        ASSERT_EQ(info.exitCode, 0) << signal << info.err;
        const std::vector<uint8_t> bytes = Bytes(out);
        ASSERT_GT(bytes.size(), 56u);
        const uint32_t dataBytes = bytes[52] | bytes[53] << 8 | bytes[54] << 16 | static_cast<uint32_t>(bytes[55]) << 24;
        EXPECT_EQ(dataBytes, bytes.size() - 56) << signal;
        EXPECT_LT(dataBytes, 36000u * 44100 * 4) << signal;
    }
}

}  // namespace
}  // namespace vantor
