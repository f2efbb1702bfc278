#include "library/batch_add.h"

#include "database/song_profile.h"
#include "library/library_fixture.h"
#include "model/recent_title_list.h"

namespace vantor {
namespace {

using test::LibraryFixture;

class BatchAdd : public LibraryFixture {
protected:
    BatchAddOutcome Run(const std::vector<std::string>& files, const BatchAddSettings& settings) {
        CBatchAdd batch(database, &recent, [this](LoadJob job) { jobs.push_back(job); },
                        [this](const std::string& path) {
                            ++labelLookups;
                            return path.find("ARCHIVE_ONE") != std::string::npos ? "ARCHIVE_ONE" : "OTHER";
                        });
        return batch.Run(files, settings);
    }
    RefPtr<CSongProfile> Song(const std::string& key) { return database.GetSong(key); }

    CRecentTitleList recent;
    std::vector<LoadJob> jobs;
    int labelLookups = 0;
};

TEST_F(BatchAdd, LocalFilesGetDefaultProfilesWithNamesFromTheirFileNames) {
    const std::vector<std::string> files = {Local("Artist - Title (Club Mix).wav"), Local("One - Two - Three.mp3"),
                                            Local("A - B - C - D.wav"), Local("NoHyphen.wav"),
                                            Local("Art - Song (Open Mix.wav"), Local(" - .wav")};
    const auto outcome = Run(files, {});
    ASSERT_EQ(outcome.added.size(), files.size());
    auto song = Song(Local("Artist - Title (Club Mix).wav"));
    ASSERT_TRUE(song);
    EXPECT_STREQ(song->GetArtist(), "Artist");
    EXPECT_STREQ(song->GetTitle(), "Title");
    EXPECT_STREQ(song->GetMixer(), "Club Mix");
    EXPECT_EQ(song->GetType(), 0x1001);
    EXPECT_EQ(song->GetTempo(), 130.0);
    EXPECT_STREQ(song->GetArchivePath(), "");

    // The MP3 file's song is its wave file, which the loader decodes.
    song = Song(Local("One - Two - Three.wav"));
    ASSERT_TRUE(song);
    EXPECT_STREQ(song->GetArtist(), "One");
    EXPECT_STREQ(song->GetTitle(), "Two");
    EXPECT_STREQ(song->GetMixer(), "Three");
    EXPECT_FALSE(Song(Local("One - Two - Three.mp3")));

    song = Song(Local("A - B - C - D.wav"));
    EXPECT_STREQ(song->GetMixer(), "C") << "fields after the third are left out";
    song = Song(Local("NoHyphen.wav"));
    EXPECT_STREQ(song->GetArtist(), "NoHyphen");
    EXPECT_STREQ(song->GetTitle(), "Unknown");
    EXPECT_STREQ(song->GetMixer(), "");
    // An unclosed parenthesis takes the rest of the field as the mixer.
    song = Song(Local("Art - Song (Open Mix.wav"));
    EXPECT_STREQ(song->GetTitle(), "Song");
    EXPECT_STREQ(song->GetMixer(), "Open Mix");
    song = Song(Local(" - .wav"));
    EXPECT_STREQ(song->GetArtist(), "Unknown");
    EXPECT_STREQ(song->GetTitle(), "Unknown");

    ASSERT_EQ(jobs.size(), files.size());
    EXPECT_EQ(jobs[1].archiveName, "");
    EXPECT_EQ(jobs[1].sourcePath, Local("One - Two - Three.mp3"));
    EXPECT_EQ(jobs[1].destinationPath, Local("One - Two - Three.wav"));
    EXPECT_EQ(jobs[0].sourcePath, jobs[0].destinationPath);
    EXPECT_EQ(recent.GetCount(), static_cast<int32_t>(files.size()));
    EXPECT_EQ(labelLookups, 0);
}

TEST_F(BatchAdd, FillingOffLeavesUnknownNames) {
    BatchAddSettings settings;
    settings.fillFromFileName = false;
    ASSERT_EQ(Run({Local("Artist - Title.wav")}, settings).added.size(), 1u);
    auto song = Song(Local("Artist - Title.wav"));
    EXPECT_STREQ(song->GetArtist(), "Unknown");
    EXPECT_STREQ(song->GetTitle(), "Unknown");
}

TEST_F(BatchAdd, StoredSongsAreSkippedByTheKeyTheyWouldHave) {
    ASSERT_EQ(Run({Local("a.mp3")}, {}).added.size(), 1u);
    const auto again = Run({Local("a.mp3"), Local("a.wav")}, {});
    EXPECT_TRUE(again.added.empty());
    EXPECT_EQ(again.skipped.size(), 2u);

    // Archive mode: the key is the local copy's path, not the archive file's.
    BatchAddSettings archive;
    archive.location = BatchAddSettings::Location::Archive;
    archive.archiveName = "DISC 7";
    archive.localWaveDirectory = Local("");
    const auto fromArchive = Run({Archive("music/a.mp3"), Archive("music/b.wav")}, archive);
    EXPECT_EQ(fromArchive.skipped, std::vector<std::string>{Archive("music/a.mp3")});
    ASSERT_EQ(fromArchive.added, std::vector<std::string>{Local("b.wav")});
    auto song = Song(Local("b.wav"));
    EXPECT_STREQ(song->GetArchivePath(), Archive("music/b.wav").c_str());
    EXPECT_STREQ(song->GetArchiveName(), "DISC 7");
    EXPECT_EQ(jobs.back().archiveName, "DISC 7");
    EXPECT_EQ(jobs.back().sourcePath, Archive("music/b.wav"));
    EXPECT_EQ(jobs.back().destinationPath, Local("b.wav"));
}

TEST_F(BatchAdd, TheVolumeLabelOfTheFirstFileNamesTheWholeRun) {
    BatchAddSettings archive;
    archive.location = BatchAddSettings::Location::Archive;
    archive.useVolumeLabel = true;
    archive.archiveName = "typed and ignored";
    archive.localWaveDirectory = Local("");  // ends in '/'
    const auto outcome = Run({Archive("music/x.wav"), dir / "elsewhere/y.wav"}, archive);
    EXPECT_EQ(outcome.archiveName, "ARCHIVE_ONE");
    EXPECT_EQ(labelLookups, 1);
    EXPECT_STREQ(Song(Local("y.wav"))->GetArchiveName(), "ARCHIVE_ONE");
    EXPECT_EQ(LocalPathIn("/music", "/a/b.wav"), "/music/b.wav");
}

TEST_F(BatchAdd, PathsBeyondTheirFieldsAreRefusedBeforeAnythingIsStored) {
    BatchAddSettings archive;
    archive.location = BatchAddSettings::Location::Archive;
    archive.archiveName = "A";
    archive.localWaveDirectory = "/" + std::string(250, 'd');
    const auto outcome = Run({Archive("music/song.wav")}, archive);
    ASSERT_EQ(outcome.refused.size(), 1u);
    EXPECT_EQ(outcome.refused[0].second.text, "Local or archive path is too long (must be < 255 characters)");
    EXPECT_EQ(database.GetSongCount(), 0);
    EXPECT_TRUE(jobs.empty());
}

// A wave file that exists is checked for the one format songs are in; a
// local MP3 file whose decoding failed takes its song back with it.
TEST_F(BatchAdd, UnsupportedWavesAreRefusedAndFailedDecodesWithdrawn) {
    test::WriteBytes(Local("mono.wav"), test::WaveBytes(test::SineBurstPcm(100, 1), {1, 1, 44100, 2, 16}));
    WriteWave(Local("good.wav"));
    test::WriteBytes(Local("broken.mp3"), std::vector<uint8_t>(64, 0x55));
    const auto outcome = Run({Local("mono.wav"), Local("good.wav"), Local("broken.mp3"), Local("late.mp3")}, {});
    ASSERT_EQ(outcome.refused.size(), 2u);
    EXPECT_EQ(outcome.refused[0].first, Local("mono.wav"));
    EXPECT_EQ(outcome.refused[0].second.text,
              "Wave file is not in a supported format. All wave files must be:\nPCM, 44.1 khz, 16-bit, 2 channels.");
    EXPECT_EQ(outcome.refused[1].second.text, Local("broken.mp3") + ": the MP3 file could not be decoded.");
    EXPECT_FALSE(Song(Local("broken.wav")));
    // The dialog offers only files that exist; this one is gone by the time it decodes.
    ASSERT_EQ(outcome.added, (std::vector<std::string>{Local("good.wav"), Local("late.wav")}));

    std::vector<LoadJob> failed;
    for (const LoadJob& job : jobs)
        if (!CarryOutLoadJob(job, LoadSettings{false}).carriedOut) failed.push_back(job);
    ASSERT_EQ(failed.size(), 1u);
    CBatchAdd batch(database, &recent, {}, {});
    EXPECT_EQ(batch.Withdraw(failed), std::vector<std::string>{Local("late.wav")});
    EXPECT_FALSE(Song(Local("late.wav")));
    EXPECT_TRUE(Song(Local("good.wav")));
    EXPECT_EQ(recent.GetCount(), 1);

    // Archive songs stay: their files can be loaded again later.
    LoadJob archived{"DISC", Archive("music/gone.wav"), Local("gone.wav")};
    CSongProfile song;
    song.SetLocalPath(Local("gone.wav"));
    song.SetArchivePath(Archive("music/gone.wav"));
    ASSERT_TRUE(database.PutSong(song));
    EXPECT_TRUE(batch.Withdraw({archived}).empty());
    EXPECT_TRUE(Song(Local("gone.wav")));
}

}  // namespace
}  // namespace vantor
