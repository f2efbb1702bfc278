// The library commands run as the real program: batch adding from the local
// disk and from an archive medium (a directory tree standing for a mounted
// disk), the profile editor's changes, the database window's listing, Load
// Set Music, the category editor, and a copy killed half way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/cli_runner.h"
#include "support/wave_bytes.h"

using vantor::test::Slurp;
using vantor::test::WaveHeader;

namespace {

namespace fs = std::filesystem;

using Result = vantor::test::CliResult;

void WriteWave(const fs::path& path, uint32_t frames = 4410, uint16_t channels = 2) {
    std::string file = WaveHeader(channels, 44100, frames);
    for (uint32_t i = 0; i < frames * channels; ++i) {
        const auto sample = static_cast<uint16_t>(i * 37);
        file += static_cast<char>(sample & 0xFF);
        file += static_cast<char>(sample >> 8);
    }
    std::ofstream(path, std::ios::binary) << file;
}

class LibraryCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("VANTOR_BIN")) GTEST_SKIP() << "VANTOR_BIN is not set";
        m_home = fs::temp_directory_path() / ("vantor-cli-library-" + std::to_string(::getpid()));
        fs::remove_all(m_home);
        fs::create_directories(m_home / "disc/music");
        fs::create_directories(m_home / "local");
    }
    void TearDown() override {
        if (!m_home.empty()) fs::remove_all(m_home);
    }
    Result Vantor(std::vector<std::string> words, const char* answer = "--yes") {
        words.insert(words.begin(), {"--home", m_home.string(), answer});
        return vantor::test::RunVantor(words);
    }
    std::string Path(const std::string& name) const { return (m_home / name).string(); }

    fs::path m_home;
};

TEST_F(LibraryCommandLine, BatchAddsLocalFilesWithDefaultProfiles) {
    WriteWave(m_home / "Artist One - Sunrise (Club Mix).wav");
    WriteWave(m_home / "One - Two - Three.wav");
    WriteWave(m_home / "mono.wav", 100, 1);

    Result add = Vantor({"db", "add", Path("Artist One - Sunrise (Club Mix).wav"), Path("mono.wav"),
                         Path("missing.wav")});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_NE(add.out.find("added " + Path("Artist One - Sunrise (Club Mix).wav") +
                           ": Artist One - Sunrise (Club Mix)"),
              std::string::npos)
        << add.out;
    EXPECT_NE(add.err.find(Path("mono.wav") + ": Wave file is not in a supported format."), std::string::npos)
        << add.err;
    EXPECT_NE(add.err.find(Path("missing.wav") + ": Local filename does not exist."), std::string::npos) << add.err;

    // Without filling from the name, title and artist are "Unknown".
    Result plain = Vantor({"db", "add", "--no-fill-from-name", Path("One - Two - Three.wav")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find(": Unknown - Unknown"), std::string::npos) << plain.out;

    Result again = Vantor({"db", "add", Path("One - Two - Three.wav")});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.out.find("skipped (already in the database): " + Path("One - Two - Three.wav")),
              std::string::npos)
        << again.out;

    // An MP3 file that does not decode leaves no song behind.
    std::ofstream(m_home / "broken.mp3") << "not an mp3 file at all";
    Result mp3 = Vantor({"db", "add", Path("broken.mp3")});
    EXPECT_EQ(mp3.exitCode, 1);
    EXPECT_NE(mp3.err.find(Path("broken.mp3") + ": the MP3 file could not be decoded."), std::string::npos)
        << mp3.err;
    EXPECT_EQ(Vantor({"db", "show", Path("broken.wav")}).exitCode, 1);
    EXPECT_EQ(Vantor({"db", "add", "--archive", "A", "--volume-label", Path("mono.wav")}).exitCode, 2);
}

TEST_F(LibraryCommandLine, BatchAddsArchiveFilesAndCopiesThemToTheLocalDirectory) {
    WriteWave(m_home / "disc/music/Gamma - Tide (Dub).wav", 44100);
    WriteWave(m_home / "disc/music/Delta - Wave.wav", 22050);
    Result add = Vantor({"db", "add", "--archive", "DISC 7", "--local-dir", Path("local"),
                         Path("disc/music/Gamma - Tide (Dub).wav"), Path("disc/music/Delta - Wave.wav")});
    ASSERT_EQ(add.exitCode, 0) << add.err;
    EXPECT_NE(add.out.find("added " + Path("local/Gamma - Tide (Dub).wav") + ": Gamma - Tide (Dub)"),
              std::string::npos)
        << add.out;
    // Both files of one archive: the medium is asked for once.
    const std::string question = "Load Music: Insert archive DISC 7. Ready?";
    ASSERT_NE(add.err.find(question), std::string::npos) << add.err;
    EXPECT_EQ(add.err.find(question, add.err.find(question) + 1), std::string::npos) << add.err;
    EXPECT_EQ(Slurp(m_home / "local/Delta - Wave.wav"), Slurp(m_home / "disc/music/Delta - Wave.wav"));

    Result show = Vantor({"db", "show", "--json", Path("local/Gamma - Tide (Dub).wav")});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_NE(show.out.find("\"archivePath\":\"" + Path("disc/music/Gamma - Tide (Dub).wav") +
                            "\",\"archiveName\":\"DISC 7\""),
              std::string::npos)
        << show.out;

    // The key that will be stored decides: the local copy's path.
    Result again = Vantor({"db", "add", "--archive", "DISC 7", "--local-dir", Path("local"),
                           Path("disc/music/Delta - Wave.wav")});
    EXPECT_NE(again.out.find("skipped"), std::string::npos) << again.out;

    // A declined medium: the song is stored, its file not copied.
    WriteWave(m_home / "disc/music/Echo - Late.wav");
    Result declined = Vantor({"db", "add", "--archive", "DISC 8", "--local-dir", Path("local"),
                              Path("disc/music/Echo - Late.wav")},
                             "--no");
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_NE(declined.err.find("not loaded: " + Path("disc/music/Echo - Late.wav")), std::string::npos)
        << declined.err;
    EXPECT_FALSE(fs::exists(m_home / "local/Echo - Late.wav"));
    Result load = Vantor({"db", "load", Path("local/Echo - Late.wav")});
    EXPECT_EQ(load.exitCode, 0) << load.err;
    EXPECT_TRUE(fs::exists(m_home / "local/Echo - Late.wav"));
}

TEST_F(LibraryCommandLine, EditChangesAProfileThroughTheProfileEditor) {
    WriteWave(m_home / "Artist - Song.wav");
    const std::string key = Path("Artist - Song.wav");
    ASSERT_EQ(Vantor({"db", "add", key}).exitCode, 0);

    Result edit = Vantor({"db", "edit", key, "--title", "New Title", "--mixer", "Dub", "--tempo", "128.5", "--type",
                          "beats", "--genre", "Techno", "--cue", "START_SONG@0.5", "--cue", "CHORUS@1=Drop",
                          "--private", "on", "--json"});
    ASSERT_EQ(edit.exitCode, 0) << edit.err;
    EXPECT_NE(edit.out.find("\"title\":\"New Title\",\"artist\":\"Artist\",\"mixer\":\"Dub\""), std::string::npos)
        << edit.out;
    EXPECT_NE(edit.out.find("\"tempo\":128.5,\"kind\":\"beats\",\"genre\":\"Techno\""), std::string::npos)
        << edit.out;
    EXPECT_NE(edit.out.find("\"private\":true"), std::string::npos) << edit.out;
    EXPECT_NE(edit.out.find("{\"label\":\"Drop\",\"position\":44100"), std::string::npos) << edit.out;
    EXPECT_NE(edit.out.find("\"position\":22050"), std::string::npos) << edit.out;

    // Refusals change nothing.
    for (const char* tempo : {"0", "-3", "nan", "inf", "fast"}) {
        Result refused = Vantor({"db", "edit", key, "--tempo", tempo, "--title", "Changed"});
        EXPECT_EQ(refused.exitCode, 1) << tempo;
        EXPECT_NE(refused.err.find("Edit Profile: Tempo must be a number above 0."), std::string::npos)
            << refused.err;
    }
    Result empty = Vantor({"db", "edit", key, "--title", ""});
    EXPECT_NE(empty.err.find("Song title must be given"), std::string::npos) << empty.err;
    Result longTitle = Vantor({"db", "edit", key, "--title", std::string(100, 't')});
    EXPECT_EQ(longTitle.exitCode, 1);
    EXPECT_NE(longTitle.err.find("Title is too long"), std::string::npos) << longTitle.err;
    Result longPath = Vantor({"db", "edit", key, "--archive-path", "/" + std::string(254, 'a')});
    EXPECT_NE(longPath.err.find("Local or archive path is too long (must be < 255 characters)"), std::string::npos)
        << longPath.err;
    Result twoStarts = Vantor({"db", "edit", key, "--cue", "START_SONG@2"});
    EXPECT_EQ(twoStarts.exitCode, 1);
    EXPECT_NE(twoStarts.err.find("one start and one end cue point"), std::string::npos) << twoStarts.err;
    EXPECT_EQ(Vantor({"db", "edit", key, "--remove-cue", "3"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "edit", key, "--cue", "NOPE@1"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "edit", Path("nothing.wav"), "--title", "x"}).exitCode, 1);
    Result kept = Vantor({"db", "show", "--json", key});
    EXPECT_NE(kept.out.find("\"title\":\"New Title\""), std::string::npos) << kept.out;
    EXPECT_NE(kept.out.find("\"tempo\":128.5"), std::string::npos) << kept.out;

    // A new local path moves the record: the new one is written, the old one removed.
    fs::rename(key, m_home / "moved.wav");
    Result moved = Vantor({"db", "edit", key, "--local-path", Path("moved.wav"), "--remove-cue", "1"});
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    EXPECT_NE(moved.out.find("modified " + Path("moved.wav")), std::string::npos) << moved.out;
    EXPECT_EQ(Vantor({"db", "show", key}).exitCode, 1);
    Result show = Vantor({"db", "show", "--json", Path("moved.wav")});
    EXPECT_NE(show.out.find("\"cuePoints\":[{\"label\":\"Drop\""), std::string::npos) << show.out;

    // Song to sample: it leaves the song store for the sample store.
    ASSERT_EQ(Vantor({"db", "edit", Path("moved.wav"), "--type", "sample"}).exitCode, 0);
    EXPECT_NE(Vantor({"db", "list"}).out.find("0 songs"), std::string::npos);
    EXPECT_NE(Vantor({"db", "show", Path("moved.wav")}).out.find("Type:           sample"), std::string::npos);
}

TEST_F(LibraryCommandLine, ListFiltersSortsAndJumpsAsTheDatabaseWindow) {
    for (const char* name : {"Ann - Alpha.wav", "Bob - Bravo.wav", "Cid - Charlie.wav", "Dee - Delta.wav",
                             "Eve - 0 Lives.wav"})
        WriteWave(m_home / name);
    ASSERT_EQ(Vantor({"db", "add", Path("Ann - Alpha.wav"), Path("Bob - Bravo.wav"), Path("Cid - Charlie.wav"),
                      Path("Dee - Delta.wav"), Path("Eve - 0 Lives.wav")})
                  .exitCode,
              0);
    ASSERT_EQ(Vantor({"db", "edit", Path("Bob - Bravo.wav"), "--type", "beats", "--genre", "Techno"}).exitCode, 0);
    ASSERT_EQ(Vantor({"db", "edit", Path("Cid - Charlie.wav"), "--type", "acapella"}).exitCode, 0);
    ASSERT_EQ(Vantor({"db", "edit", Path("Dee - Delta.wav"), "--type", "sample"}).exitCode, 0);

    auto titles = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"db", "list"});
        Result list = Vantor(words);
        EXPECT_EQ(list.exitCode, 0) << list.err;
        std::string found;
        for (const char* title : {"0 Lives", "Alpha", "Bravo", "Charlie", "Delta"})
            if (list.out.find(title) != std::string::npos) found += std::string(found.empty() ? "" : ",") + title;
        return found;
    };
    // Samples never show; digits sort before letters.
    EXPECT_EQ(titles({}), "0 Lives,Alpha,Bravo,Charlie");
    EXPECT_EQ(titles({"--type", "beats"}), "Bravo");
    EXPECT_EQ(titles({"--type", "beats,acapella"}), "Bravo,Charlie");
    EXPECT_EQ(titles({"--type", "song"}), "0 Lives,Alpha");
    EXPECT_EQ(titles({"--genre", "Techno"}), "Bravo");
    EXPECT_EQ(titles({"--letter", "B"}), "Bravo,Charlie");
    EXPECT_EQ(titles({"--letter", "1"}), "Alpha,Bravo,Charlie");
    EXPECT_EQ(titles({"--letter", "a", "--sort", "artist"}), "0 Lives,Alpha,Bravo,Charlie");
    EXPECT_EQ(titles({"--letter", "C", "--sort", "artist"}), "0 Lives,Charlie");
    Result json = Vantor({"db", "list", "--type", "acapella", "--json"});
    EXPECT_NE(json.out.find("\"title\":\"Charlie\",\"artist\":\"Cid\""), std::string::npos) << json.out;
    EXPECT_EQ(Vantor({"db", "list", "--genre", "Polka Fusion"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "list", "--type", "sample"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "list", "--letter", "O"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "list", "--letter", "A", "--latest"}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "list", "--category", "None"}).exitCode, 1);
}

TEST_F(LibraryCommandLine, LoadSetMusicCopiesTheSetsMissingSongsFromTheirArchives) {
    WriteWave(m_home / "disc/music/Ann - Alpha.wav", 44100);
    WriteWave(m_home / "disc/music/Bob - Bravo.wav", 44100);
    ASSERT_EQ(Vantor({"db", "add", "--archive", "DISC", "--local-dir", Path("local"),
                      Path("disc/music/Ann - Alpha.wav"), Path("disc/music/Bob - Bravo.wav")})
                  .exitCode,
              0);
    WriteWave(m_home / "Cid - Here.wav", 44100);
    ASSERT_EQ(Vantor({"db", "add", Path("Cid - Here.wav")}).exitCode, 0);
    const std::string set = Path("mix.set");
    ASSERT_EQ(Vantor({"set", "new", set}).exitCode, 0);
    ASSERT_EQ(Vantor({"set", "add", set, Path("local/Ann - Alpha.wav"), "--track", "1", "--at", "0"}).exitCode, 0);
    ASSERT_EQ(Vantor({"set", "add", set, Path("local/Bob - Bravo.wav"), "--track", "2", "--at", "0"}).exitCode, 0);
    ASSERT_EQ(Vantor({"set", "add", set, Path("local/Ann - Alpha.wav"), "--track", "1", "--at", "5"}).exitCode, 0);
    ASSERT_EQ(Vantor({"set", "add", set, Path("Cid - Here.wav"), "--track", "3", "--at", "0"}).exitCode, 0);

    // Nothing missing: nothing to copy.
    Result nothing = Vantor({"db", "load", "--set", set});
    EXPECT_EQ(nothing.exitCode, 0) << nothing.err;
    EXPECT_NE(nothing.out.find("Done: 0 copied, 0 failed, 0 not copied of 0"), std::string::npos) << nothing.out;

    ASSERT_EQ(Vantor({"db", "unload", Path("local/Ann - Alpha.wav"), Path("local/Bob - Bravo.wav")}).exitCode, 0);
    fs::remove(m_home / "Cid - Here.wav");
    // Declined: nothing copied.
    Result declined = Vantor({"db", "load", "--set", set}, "--no");
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_NE(declined.err.find("Load Set Music: Files will be copied from archive: DISC. Ready? -> cancel"),
              std::string::npos)
        << declined.err;
    EXPECT_FALSE(fs::exists(m_home / "local/Ann - Alpha.wav"));

    Result load = Vantor({"db", "load", "--set", set});
    EXPECT_EQ(load.exitCode, 1) << "the song without an archive cannot be loaded";
    EXPECT_NE(load.err.find("no archive to load from: " + Path("Cid - Here.wav")), std::string::npos) << load.err;
    EXPECT_NE(load.out.find("Done: 2 copied, 0 failed, 0 not copied of 2"), std::string::npos) << load.out;
    EXPECT_EQ(Slurp(m_home / "local/Ann - Alpha.wav"), Slurp(m_home / "disc/music/Ann - Alpha.wav"));
    EXPECT_EQ(Slurp(m_home / "local/Bob - Bravo.wav"), Slurp(m_home / "disc/music/Bob - Bravo.wav"));
    EXPECT_EQ(Vantor({"db", "load", "--set", Path("missing.set")}).exitCode, 1);
    EXPECT_EQ(Vantor({"db", "load", "--set", set, Path("Cid - Here.wav")}).exitCode, 2);
    EXPECT_EQ(Vantor({"db", "load"}).exitCode, 2);
}

TEST_F(LibraryCommandLine, CategoriesGoThroughTheCategoryEditor) {
    WriteWave(m_home / "Ann - Alpha.wav");
    WriteWave(m_home / "Bob - Bravo.wav");
    ASSERT_EQ(Vantor({"db", "add", Path("Ann - Alpha.wav"), Path("Bob - Bravo.wav")}).exitCode, 0);

    ASSERT_EQ(Vantor({"category", "create", "Peak Time"}).exitCode, 0);
    Result twice = Vantor({"category", "create", "Peak Time"});
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_NE(twice.err.find("Add Category: That category already exists!"), std::string::npos) << twice.err;
    Result space = Vantor({"category", "create", " Lead"});
    EXPECT_NE(space.err.find("Category must not be empty and not begin with a space character."), std::string::npos)
        << space.err;
    for (const char* bad : {"../escape", "a/b", ".hidden"}) {
        Result refused = Vantor({"category", "create", bad});
        EXPECT_EQ(refused.exitCode, 1) << bad;
        EXPECT_NE(refused.err.find("must not begin with a dot or hold a path separator"), std::string::npos)
            << refused.err;
    }
    EXPECT_FALSE(fs::exists(m_home.parent_path() / "escape.cat"));

    Result add = Vantor({"category", "add", "Peak Time", Path("Bob - Bravo.wav"), Path("Ann - Alpha.wav"),
                         Path("nothing.wav")});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_NE(add.out.find("Total Items: 2"), std::string::npos) << add.out;
    Result list = Vantor({"category", "list", "Peak Time"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_LT(list.out.find("Alpha"), list.out.find("Bravo")) << "entries in title order: " << list.out;
    Result info = Vantor({"category", "info", "Peak Time", Path("Bob - Bravo.wav")});
    EXPECT_NE(info.err.find("Entry Info: Name: Bravo\nArtist: Bob\nMixer: \nTempo: 130.000\n"), std::string::npos)
        << info.err;
    EXPECT_EQ(Vantor({"category", "list", "--json"}).out, "[\"Peak Time\"]\n");

    Result drop = Vantor({"category", "drop", "Peak Time", Path("Ann - Alpha.wav")});
    EXPECT_EQ(drop.exitCode, 0) << drop.err;
    EXPECT_NE(drop.out.find("Total Items: 1"), std::string::npos) << drop.out;
    EXPECT_EQ(Vantor({"category", "drop", "Peak Time", Path("Ann - Alpha.wav")}).exitCode, 1);
    EXPECT_EQ(Vantor({"category", "add", "Nope", Path("Ann - Alpha.wav")}).exitCode, 1);

    EXPECT_EQ(Vantor({"category", "remove", "Peak Time"}, "--no").exitCode, 1);
    ASSERT_EQ(Vantor({"category", "remove", "Peak Time"}).exitCode, 0);
    EXPECT_EQ(Vantor({"category", "list"}).out, "");
    EXPECT_EQ(Vantor({"category", "remove", "Peak Time"}).exitCode, 1);
    // The songs stay in the database.
    EXPECT_NE(Vantor({"db", "list"}).out.find("2 songs"), std::string::npos);
}

// A copy from the archive killed with SIGKILL half way leaves no partial
// wave file under the song's name; loading again completes it.
TEST_F(LibraryCommandLine, KilledCopyLeavesNoPartialWaveUnderTheFinalName) {
    constexpr uint32_t kFrames = 40u * 1024 * 1024;  // 160 MB of audio, a hole on the disk
    // The copy alone is under test; a summary of it would only take time.
    ASSERT_EQ(Vantor({"config", "set", "generate-summaries", "off"}).exitCode, 0);
    const fs::path big = m_home / "disc/music/Big - Song.wav";
    std::ofstream(big, std::ios::binary) << WaveHeader(2, 44100, kFrames);
    fs::resize_file(big, 44 + static_cast<uintmax_t>(kFrames) * 4);
    const fs::path local = m_home / "local/Big - Song.wav";

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl(std::getenv("VANTOR_BIN"), "vantor", "--home", m_home.c_str(), "--yes", "db", "add", "--archive",
                "BIG", "--local-dir", (m_home / "local").c_str(), big.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Killed as soon as the temporary copy appears beside the final name.
    bool copying = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!copying && std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : fs::directory_iterator(m_home / "local"))
            if (entry.path().filename().string().rfind(".Big - Song.wav.", 0) == 0) copying = true;
        if (!copying) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(copying) << "the copy was never seen under way";
    if (WIFSIGNALED(status)) EXPECT_FALSE(fs::exists(local)) << "a partial file under the final name";
    else EXPECT_EQ(fs::file_size(local), fs::file_size(big)) << "the copy ended before the kill, complete";

    // The song was stored before the copy began; loading it again completes it.
    fs::remove(local);
    Result load = Vantor({"db", "load", local.string()});
    EXPECT_EQ(load.exitCode, 0) << load.err;
    EXPECT_EQ(fs::file_size(local), fs::file_size(big));
    for (const auto& entry : fs::directory_iterator(m_home / "local"))
        if (entry.path().filename().string().rfind(".Big", 0) == 0) fs::remove(entry.path());
}

}  // namespace
