#include "library/song_import.h"

#include <gtest/gtest.h>

#include "database/music_database.h"
#include "engine/audio_fixtures.h"

namespace vantor {
namespace {

using test::FmtFields;
using test::TempDir;

class SongImport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(database.Open(dir.Path() + "/")); }

    Result<ImportedSong> Import(const std::string& name, SongImportSettings settings = {}) {
        return ImportSongFile(database, dir / name, settings, {}, [this](const std::string&) { return replace; });
    }
    void Write(const std::string& name, const FmtFields& format = {}) {
        test::WriteBytes(dir / name, test::WaveBytes(test::SineBurstPcm(4410), format));
    }

    TempDir dir;
    CMusicDatabase database;
    bool replace = false;
};

TEST_F(SongImport, FillsNamesFromTheFileNameAndStoresOnce) {
    Write("Artist - Title (Club Mix).wav");
    auto added = Import("Artist - Title (Club Mix).wav", {true, 126.0});
    ASSERT_TRUE(added) << added.Error().text;
    EXPECT_FALSE(added->alreadyStored);
    RefPtr<CSongProfile> stored = database.GetSong(dir / "Artist - Title (Club Mix).wav");
    ASSERT_TRUE(stored);
    EXPECT_STREQ(stored->GetArtist(), "Artist");
    EXPECT_STREQ(stored->GetTitle(), "Title");
    EXPECT_STREQ(stored->GetMixer(), "Club Mix");
    EXPECT_EQ(stored->GetTempo(), 126.0);

    auto again = Import("Artist - Title (Club Mix).wav");
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->alreadyStored);
    EXPECT_EQ(database.GetSongCount(), 1);
}

TEST_F(SongImport, EmptyNamesBecomeUnknownWhenFillingIsOff) {
    Write("Artist - Title.wav");
    ASSERT_TRUE(Import("Artist - Title.wav", {false, 130.0}));
    RefPtr<CSongProfile> stored = database.GetSong(dir / "Artist - Title.wav");
    ASSERT_TRUE(stored);
    EXPECT_STREQ(stored->GetArtist(), "Unknown");
    EXPECT_STREQ(stored->GetTitle(), "Unknown");
}

TEST_F(SongImport, RefusesWhatIsNoSongWithTheEditorsMessages) {
    auto missing = Import("missing.wav");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Error().text, "Local filename does not exist.");
    EXPECT_EQ(missing.Error().caption, "Edit Profile");
    EXPECT_EQ(missing.Error().icon, MessageIcon::Error);

    FmtFields mono;
    mono.channels = 1;
    mono.blockAlign = 2;
    Write("mono.wav", mono);
    auto refused = Import("mono.wav");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().text,
              "Wave file is not in a supported format. All wave files must be:\nPCM, 44.1 khz, 16-bit, 2 channels.");

    test::WriteBytes(dir / "notes.txt", {1, 2, 3});
    EXPECT_FALSE(Import("notes.txt"));
    test::WriteBytes(dir / "broken.mp3", {1, 2, 3});
    EXPECT_FALSE(Import("broken.mp3"));
    EXPECT_EQ(database.GetSongCount(), 0);
}

TEST_F(SongImport, AnEmptyWaveFileIsNoSong) {
    test::WriteBytes(dir / "empty.wav", test::WaveBytes({}));
    auto refused = Import("empty.wav");
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.Error().text.find("holds no audio"), std::string::npos) << refused.Error().text;
    EXPECT_EQ(database.GetSongCount(), 0);
}

// The wave file beside an MP3 may be another recording of the user's: its
// decoding replaces it only when the user agrees.
TEST_F(SongImport, DecodingAnMp3ReplacesAWaveFileOnlyWithConsent) {
    ASSERT_TRUE(test::EncodeMp3(dir, test::SineBurstPcm(44100), dir / "a.mp3", 128));
    const std::vector<uint8_t> theirs = test::WaveBytes(test::StaircasePcm(100));
    test::WriteBytes(dir / "a.wav", theirs);

    auto kept = Import("a.mp3");
    ASSERT_FALSE(kept);
    EXPECT_NE(kept.Error().text.find("was not replaced"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir / "a.wav"), theirs);
    EXPECT_EQ(database.GetSongCount(), 0);

    replace = true;
    auto added = Import("a.mp3");
    ASSERT_TRUE(added) << added.Error().text;
    EXPECT_STREQ(added->profile->GetLocalPath(), (dir / "a.wav").c_str());
    EXPECT_NE(test::ReadBytes(dir / "a.wav"), theirs);
}

}  // namespace
}  // namespace vantor
