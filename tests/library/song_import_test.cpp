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
        return ImportSongFile(database, dir / name, settings, {});
    }
    void Write(const std::string& name, const FmtFields& format = {}) {
        test::WriteBytes(dir / name, test::WaveBytes(test::SineBurstPcm(4410), format));
    }

    TempDir dir;
    CMusicDatabase database;
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

}  // namespace
}  // namespace vantor
