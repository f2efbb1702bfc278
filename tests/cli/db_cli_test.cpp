// Runs the real vantor program on a scratch program directory: adding
// generated wave files, listing, showing, compacting, a category and a
// playlist.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/wave_bytes.h"

using vantor::test::Slurp;
using vantor::test::WaveHeader;

namespace {

namespace fs = std::filesystem;

using Result = vantor::test::CliResult;

void WriteWave(const fs::path& path, uint16_t channels, uint32_t rate, uint32_t frames) {
    std::string file = WaveHeader(channels, rate, frames);
    file.append(static_cast<size_t>(frames) * channels * 2, '\0');
    std::ofstream(path, std::ios::binary) << file;
}

class DbCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("VANTOR_BIN")) GTEST_SKIP() << "VANTOR_BIN is not set";
        m_home = fs::temp_directory_path() / ("vantor-cli-db-" + std::to_string(::getpid()));
        fs::remove_all(m_home);
        fs::create_directories(m_home);
    }
    void TearDown() override {
        if (m_home.empty()) return;
        ::chmod(m_home.c_str(), 0755);
        fs::remove_all(m_home);
    }

    // The command line of one run, for running several at once.
    std::string Command(const std::vector<std::string>& words, const std::string& prefix = "") const {
        using vantor::test::ShellQuote;
        std::string command = prefix + ShellQuote(std::getenv("VANTOR_BIN")) + " --home " +
                              ShellQuote(m_home.string()) + " --yes";
        for (const auto& word : words) command += " " + ShellQuote(word);
        return command;
    }
    Result Vantor(std::vector<std::string> words, const std::string& prefix = "") {
        words.insert(words.begin(), {"--home", m_home.string(), "--yes"});
        return vantor::test::RunVantor(words, prefix);
    }
    std::string Path(const std::string& name) const { return (m_home / name).string(); }
    // count short wave files in the folder, named "<prefix> NNN - Title NNN.wav".
    std::vector<std::string> WriteWaves(const std::string& folder, const std::string& prefix, int count) {
        fs::create_directories(m_home / folder);
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(Path(folder + "/" + prefix + " " + std::to_string(i) + " - Title " + std::to_string(i) + ".wav"));
            WriteWave(paths.back(), 2, 44100, 441);
        }
        return paths;
    }
    int ListedSongs() {
        Result list = Vantor({"db", "list", "--json"});
        EXPECT_EQ(list.exitCode, 0) << list.err;
        int songs = 0;
        for (size_t at = list.out.find("\"key\""); at != std::string::npos; at = list.out.find("\"key\"", at + 1)) ++songs;
        return songs;
    }

    fs::path m_home;
};

TEST_F(DbCommandLine, AddListShowCompactCategoryAndPlaylist) {
    WriteWave(m_home / "Artist One - Sunrise (Club Mix).wav", 2, 44100, 44100 * 2);
    WriteWave(m_home / "Beta-Night-Dub.wav", 2, 44100, 44100 * 3);
    WriteWave(m_home / "mono.wav", 1, 44100, 100);
    WriteWave(m_home / "slow.wav", 2, 22050, 100);
    std::ofstream(m_home / "song.mp3") << "not really";

    Result add = Vantor({"db", "add", Path("Artist One - Sunrise (Club Mix).wav"), Path("Beta-Night-Dub.wav"),
                      Path("mono.wav"), Path("slow.wav")});
    EXPECT_EQ(add.exitCode, 1) << add.err;
    EXPECT_NE(add.out.find("added " + Path("Beta-Night-Dub.wav") + ": Beta - Night (Dub)"), std::string::npos)
        << add.out;
    EXPECT_NE(add.err.find("Wave file is not in a supported format. All wave files must be:\n"
                           "PCM, 44.1 khz, 16-bit, 2 channels."),
              std::string::npos)
        << add.err;
    // Adding again skips what is there.
    Result again = Vantor({"db", "add", Path("Beta-Night-Dub.wav")});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.out.find("skipped"), std::string::npos);
    EXPECT_NE(Vantor({"db", "add", Path("song.mp3")}).exitCode, 0);

    Result list = Vantor({"db", "list", "--json"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("\"title\":\"Night\",\"artist\":\"Beta\",\"mixer\":\"Dub\""), std::string::npos)
        << list.out;
    EXPECT_LT(list.out.find("Night"), list.out.find("Sunrise"));
    EXPECT_EQ(list.out.find("mono.wav"), std::string::npos);

    ASSERT_EQ(Vantor({"db", "set", Path("Beta-Night-Dub.wav"), "tempo", "99"}).exitCode, 0);
    ASSERT_EQ(Vantor({"db", "set", Path("Beta-Night-Dub.wav"), "genre", "Techno"}).exitCode, 0);
    EXPECT_EQ(Vantor({"db", "set", Path("Beta-Night-Dub.wav"), "colour", "red"}).exitCode, 2);
    Result show = Vantor({"db", "show", Path("Beta-Night-Dub.wav")});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_NE(show.out.find("Tempo:          99.000"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("genre Techno (0x1007)"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Cue points: 0"), std::string::npos);
    EXPECT_EQ(Vantor({"db", "show", Path("nothing.wav")}).exitCode, 1);
    // Tempo texts sort as text: 99 after 130.
    Result byTempo = Vantor({"db", "list", "--sort", "tempo"});
    EXPECT_LT(byTempo.out.find("Sunrise"), byTempo.out.find("Night")) << byTempo.out;

    ASSERT_EQ(Vantor({"db", "category", "add", "Peak"}).exitCode, 0);
    ASSERT_EQ(Vantor({"db", "category", "add-song", "Peak", Path("Beta-Night-Dub.wav")}).exitCode, 0);
    EXPECT_EQ(Vantor({"db", "category", "add", "../evil"}).exitCode, 2);
    Result category = Vantor({"db", "list", "--category", "Peak"});
    EXPECT_NE(category.out.find("Night"), std::string::npos);
    EXPECT_EQ(category.out.find("Sunrise"), std::string::npos);
    EXPECT_EQ(Vantor({"db", "category", "list"}).out, "Peak\n");

    const std::string plt = Path("warmup.plt");
    ASSERT_EQ(Vantor({"playlist", "new", plt}).exitCode, 0);
    ASSERT_EQ(Vantor({"playlist", "add", plt, Path("Artist One - Sunrise (Club Mix).wav")}).exitCode, 0);
    ASSERT_EQ(Vantor({"playlist", "add", plt, Path("Beta-Night-Dub.wav"), "--before", "1"}).exitCode, 0);
    Result duplicate = Vantor({"playlist", "add", plt, Path("Beta-Night-Dub.wav")});
    EXPECT_EQ(duplicate.exitCode, 1);
    EXPECT_NE(duplicate.err.find("Entry already exists in the playlist."), std::string::npos) << duplicate.err;
    ASSERT_EQ(Vantor({"playlist", "move", plt, "1", "down"}).exitCode, 0);
    EXPECT_EQ(Vantor({"playlist", "move", plt, "2", "down"}).exitCode, 1);
    Result playlist = Vantor({"playlist", "show", plt});
    ASSERT_EQ(playlist.exitCode, 0) << playlist.err;
    EXPECT_LT(playlist.out.find("Sunrise"), playlist.out.find("Night")) << playlist.out;
    EXPECT_NE(playlist.out.find("Total time: 00:00:05"), std::string::npos) << playlist.out;
    EXPECT_EQ(fs::file_size(plt), 16u + 2 * 263);

    // Remove one song, leaving a free entry and area, then compact.
    ASSERT_EQ(Vantor({"db", "add", Path("slow.wav")}).exitCode, 1);
    WriteWave(m_home / "Gamma - Third.wav", 2, 44100, 10);
    ASSERT_EQ(Vantor({"db", "add", Path("Gamma - Third.wav")}).exitCode, 0);
    ASSERT_EQ(Vantor({"db", "remove", Path("Artist One - Sunrise (Club Mix).wav")}).exitCode, 0);
    const auto keysBefore = fs::file_size(m_home / "SONGS.KYS");
    EXPECT_EQ(keysBefore, 4u + 3 * 376);
    Result compact = Vantor({"db", "compact"});
    ASSERT_EQ(compact.exitCode, 0) << compact.err;
    EXPECT_NE(compact.out.find("compacted: 2 songs"), std::string::npos);
    EXPECT_EQ(fs::file_size(m_home / "SONGS.KYS"), 4u + 2 * 376);
    EXPECT_FALSE(fs::exists(m_home / "temp.db"));
    Result after = Vantor({"db", "list"});
    EXPECT_LT(after.out.find("Night"), after.out.find("Third")) << after.out;
    EXPECT_NE(after.out.find("2 songs"), std::string::npos);

    // The removed song stays in the latest titles' file until the next
    // addition, but is not listed.
    Result latest = Vantor({"db", "list", "--latest"});
    EXPECT_EQ(latest.out.find("Sunrise"), std::string::npos);
    EXPECT_NE(Slurp(m_home / "RECENT.lst").find("Sunrise"), std::string::npos);
}

TEST_F(DbCommandLine, BadInputIsAUsageErrorOrAFailureNeverACrash) {
    EXPECT_EQ(Vantor({"db"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "frobnicate"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "list", "--sort", "colour"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "add"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "add", Path("missing.wav")}).exitCode, 1);
    EXPECT_EQ(Vantor({"playlist", "show", Path("missing.plt")}).exitCode, 1);
    std::ofstream(m_home / "junk.plt") << std::string(1000, '\xff');
    EXPECT_EQ(Vantor({"playlist", "show", Path("junk.plt")}).exitCode, 0);
    EXPECT_EQ(Vantor({"playlist", "remove", Path("junk.plt"), "1"}).exitCode, 2);
    std::ofstream(m_home / "SONGS.KYS") << std::string(1000, '\x7f');
    std::ofstream(m_home / "Broken.cat") << std::string(999, '\x7f');
    EXPECT_EQ(Vantor({"db", "list"}).exitCode, 0);
    EXPECT_EQ(Vantor({"db", "list", "--category", "Broken"}).exitCode, 0);
}

}  // namespace

namespace {

// Names outside ASCII are stored as the UTF-8 bytes they are and printed so:
// a key from the JSON listing works as the key of the next command.
TEST_F(DbCommandLine, UnicodeNamesRoundTripThroughTheJsonListing) {
    const std::string name = "\xc3\x85lborg - N\xc3\xa4" "chte.wav";  // "Ålborg - Nächte.wav"
    WriteWave(m_home / name, 2, 44100, 44100);
    ASSERT_EQ(Vantor({"db", "add", Path(name)}).exitCode, 0);

    Result list = Vantor({"db", "list", "--json"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("\"title\":\"N\xc3\xa4" "chte\",\"artist\":\"\xc3\x85lborg\""), std::string::npos)
        << list.out;
    const std::string keyField = "\"key\":\"";
    const size_t at = list.out.find(keyField);
    ASSERT_NE(at, std::string::npos);
    const std::string key = list.out.substr(at + keyField.size(), list.out.find('"', at + keyField.size()) -
                                                                      at - keyField.size());
    EXPECT_EQ(key, Path(name));
    Result show = Vantor({"db", "show", key});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_NE(show.out.find("Artist:         \xc3\x85lborg"), std::string::npos) << show.out;
}

TEST_F(DbCommandLine, EveryCommandDescribesItsOptionsAndRefusesBadNumbers) {
    Result help = Vantor({"set", "add", "--help"});
    ASSERT_EQ(help.exitCode, 0);
    for (const char* option : {"--track", "--at", "--from", "--to", "--ratio", "--fit-tempo"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    EXPECT_NE(help.out.find("rate ratio"), std::string::npos) << help.out;

    // Decimal only: 010 is ten tracks, not octal eight; hexadecimal is refused.
    ASSERT_EQ(Vantor({"set", "new", Path("ten.set"), "--tracks", "010"}).exitCode, 0);
    EXPECT_NE(Vantor({"set", "show", Path("ten.set")}).out.find("11 tracks"), std::string::npos);
    Result hex = Vantor({"set", "new", Path("hex.set"), "--tracks", "0x4"});
    EXPECT_EQ(hex.exitCode, 2);
    EXPECT_NE(hex.err.find("not a whole number"), std::string::npos) << hex.err;
    EXPECT_EQ(Vantor({"set", "add", Path("ten.set"), "k", "--track", "1", "--at", "-3"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "set", "k", "tempo"}).exitCode, 2);
}

}  // namespace

namespace {

// Two processes adding songs to one program directory at once: the lock on
// the database makes one wait for the other, and every song is kept.
TEST_F(DbCommandLine, ConcurrentAddsKeepEverySong) {
    std::vector<std::string> add = {"db", "add"};
    std::vector<std::string> first = add, second = add;
    for (const auto& path : WriteWaves("one", "First", 100)) first.push_back(path);
    for (const auto& path : WriteWaves("two", "Second", 100)) second.push_back(path);
    const std::string both = "(" + Command(first) + " >/dev/null 2>&1 & " + Command(second) +
                             " >/dev/null 2>&1 & wait)";
    ASSERT_EQ(std::system(both.c_str()), 0);
    EXPECT_EQ(ListedSongs(), 200);
}

// Compacting again and again while another process adds songs loses none.
TEST_F(DbCommandLine, CompactionDuringAnAddLosesNothing) {
    std::vector<std::string> seed = {"db", "add"};
    for (const auto& path : WriteWaves("seed", "Seed", 20)) seed.push_back(path);
    ASSERT_EQ(Vantor(seed).exitCode, 0);
    std::vector<std::string> add = {"db", "add"};
    for (const auto& path : WriteWaves("more", "More", 100)) add.push_back(path);
    const std::string done = Path("added"), compactions = Path("compactions");
    const std::string script = "(" + Command(add) + " >/dev/null 2>&1; touch " + vantor::test::ShellQuote(done) + ") & " +
                               "while [ ! -e " + vantor::test::ShellQuote(done) + " ]; do " + Command({"db", "compact"}) + " >>" +
                               vantor::test::ShellQuote(compactions) + " 2>&1; done; wait";
    ASSERT_EQ(std::system(("bash -c " + vantor::test::ShellQuote(script)).c_str()), 0);
    const std::string log = Slurp(compactions);
    EXPECT_NE(log.find("compacted:"), std::string::npos) << log;
    EXPECT_EQ(log.find("could not"), std::string::npos) << log;
    EXPECT_EQ(ListedSongs(), 120);
}

// The songs data file cut one byte short: the intact songs are listed with a
// warning, and compaction names the song it drops.
TEST_F(DbCommandLine, ADamagedStoreIsListedWithAWarningAndCompactedClean) {
    const auto files = WriteWaves("songs", "Artist", 3);
    ASSERT_EQ(Vantor({"db", "add", files[0], files[1], files[2]}).exitCode, 0);
    fs::resize_file(m_home / "SONGS.DB", fs::file_size(m_home / "SONGS.DB") - 1);

    Result list = Vantor({"db", "list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("2 songs"), std::string::npos) << list.out;
    EXPECT_NE(list.err.find("1 damaged entry"), std::string::npos) << list.err;
    WriteWave(Path("new.wav"), 2, 44100, 441);
    ASSERT_EQ(Vantor({"db", "add", Path("new.wav")}).exitCode, 0);

    Result compact = Vantor({"db", "compact"});
    ASSERT_EQ(compact.exitCode, 0) << compact.err;
    EXPECT_NE(compact.out.find("dropped damaged entry: " + files[2]), std::string::npos) << compact.out;
    EXPECT_NE(compact.out.find("compacted: 3 songs"), std::string::npos) << compact.out;
    Result clean = Vantor({"db", "list"});
    EXPECT_EQ(clean.err.find("damaged"), std::string::npos) << clean.err;
    // The dropped song can be added again.
    ASSERT_EQ(Vantor({"db", "add", files[2]}).exitCode, 0);
    EXPECT_EQ(ListedSongs(), 4);
}

// A program directory the user may only read: listing and showing work,
// changes are refused with the reason.
TEST_F(DbCommandLine, AReadOnlyDirectoryIsListedAndChangesAreRefused) {
    const auto prefix = vantor::test::UnprivilegedPrefix();
    if (!prefix) GTEST_SKIP() << "no way to run without the superuser's rights";
    const auto files = WriteWaves("songs", "Artist", 2);
    ASSERT_EQ(Vantor({"db", "add", files[0], files[1]}).exitCode, 0);
    ASSERT_EQ(Vantor({"db", "category", "add", "Peak"}).exitCode, 0);
    ASSERT_EQ(::chmod(m_home.c_str(), 0555), 0);

    Result list = Vantor({"db", "list"}, *prefix);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("2 songs"), std::string::npos) << list.out;
    Result show = Vantor({"db", "show", files[0]}, *prefix);
    EXPECT_EQ(show.exitCode, 0) << show.err;
    EXPECT_NE(show.out.find("Title:          Title 0"), std::string::npos) << show.out;
    Result categories = Vantor({"db", "category", "list"}, *prefix);
    EXPECT_EQ(categories.out, "Peak\n") << categories.err;

    Result change = Vantor({"db", "set", files[0], "tempo", "99"}, *prefix);
    EXPECT_EQ(change.exitCode, 1);
    EXPECT_NE(change.err.find("cannot be changed: Permission denied"), std::string::npos) << change.err;
    EXPECT_EQ(Vantor({"db", "compact"}, *prefix).exitCode, 1);
    ::chmod(m_home.c_str(), 0755);
    EXPECT_NE(Vantor({"db", "show", files[0]}).out.find("Tempo:          130.000"), std::string::npos);
}

TEST_F(DbCommandLine, LoadUnloadAndFindArchivedSongs) {
    fs::create_directories(m_home / "disc");
    WriteWave(m_home / "Gamma - Tide (Dub).wav", 2, 44100, 4410);
    fs::copy_file(m_home / "Gamma - Tide (Dub).wav", m_home / "disc/Gamma - Tide (Dub).wav");
    const std::string key = Path("Gamma - Tide (Dub).wav");
    ASSERT_EQ(Vantor({"db", "add", key}).exitCode, 0);

    Result refused = Vantor({"db", "unload", key});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("No archive path is defined for this item."), std::string::npos) << refused.err;
    EXPECT_TRUE(fs::exists(key));

    ASSERT_EQ(Vantor({"db", "set", key, "archive-path", Path("disc/Gamma - Tide (Dub).wav")}).exitCode, 0);
    ASSERT_EQ(Vantor({"db", "set", key, "archive-name", "DISC"}).exitCode, 0);
    Result already = Vantor({"db", "load", key});
    EXPECT_EQ(already.exitCode, 0) << already.err;
    EXPECT_NE(already.err.find("Already loaded to the local path."), std::string::npos);

    Result unload = Vantor({"db", "unload", key});
    EXPECT_EQ(unload.exitCode, 0) << unload.err;
    EXPECT_FALSE(fs::exists(key));
    Result load = Vantor({"db", "load", key});
    EXPECT_EQ(load.exitCode, 0) << load.err;
    EXPECT_NE(load.out.find("1 loaded"), std::string::npos) << load.out;
    EXPECT_EQ(Slurp(key), Slurp(m_home / "disc/Gamma - Tide (Dub).wav"));

    Result find = Vantor({"db", "find", "dub", "--field", "mixer", "--json"});
    EXPECT_EQ(find.exitCode, 0);
    EXPECT_NE(find.out.find("\"title\":\"Tide\""), std::string::npos) << find.out;
    EXPECT_NE(Vantor({"db", "find", "x", "--field", "album"}).exitCode, 0) << "a field the search does not know";
    EXPECT_NE(Vantor({"db", "find", "TIDE"}).out.find("1 song"), std::string::npos);
}

}  // namespace
