#include "library/song_loading.h"

#include "database/song_profile.h"
#include "library/category_name.h"
#include "library/library_fixture.h"
#include "platform/file_io.h"

namespace vantor {
namespace {

using test::LibraryFixture;

class SongLoading : public LibraryFixture {
protected:
    const CSongProfile& Song(const std::string& local, const std::string& archive) {
        song = MakeRef<CSongProfile>();
        song->SetLocalPath(local);
        song->SetArchivePath(archive);
        song->SetArchiveName(archive.empty() ? "" : "ONE");
        return *song;
    }
    RefPtr<CSongProfile> song;
};

TEST_F(SongLoading, LoadMusicFetchesOnlyMissingArchivedSongs) {
    WriteWave(Local("here.wav"));
    auto here = PlanLoadMusic(Song(Local("here.wav"), Archive("music/here.wav")));
    ASSERT_FALSE(here);
    EXPECT_EQ(here.Error().text, "Already loaded to the local path.");
    EXPECT_EQ(here.Error().caption, "Load Music");
    EXPECT_EQ(here.Error().icon, MessageIcon::Information);

    auto noArchive = PlanLoadMusic(Song(Local("gone.wav"), ""));
    ASSERT_FALSE(noArchive);
    EXPECT_EQ(noArchive.Error().text, "No archive path specified for this item.");
    EXPECT_EQ(noArchive.Error().icon, MessageIcon::Error);

    // A local file that is no audio counts as not loaded.
    test::WriteBytes(Local("junk.wav"), {1, 2, 3});
    auto job = PlanLoadMusic(Song(Local("junk.wav"), Archive("music/junk.wav")));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->archiveName, "ONE");
    EXPECT_EQ(job->sourcePath, Archive("music/junk.wav"));
    EXPECT_EQ(job->destinationPath, Local("junk.wav"));
}

TEST_F(SongLoading, UnloadMusicNeverDeletesASongWithoutAnArchive) {
    WriteWave(Local("only.wav"));
    Status refused = UnloadMusic(Song(Local("only.wav"), ""), true);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().text,
              "No archive path is defined for this item.\nUnloading this file would permanently remove it.");
    EXPECT_EQ(refused.Error().caption, "Unload Music");
    EXPECT_TRUE(FileExists(Local("only.wav")));

    Status notLoaded = UnloadMusic(Song(Local("missing.wav"), Archive("music/m.wav")), true);
    ASSERT_FALSE(notLoaded);
    EXPECT_EQ(notLoaded.Error().text, "File has not be loaded to local path.");

    WriteWave(Local("a.wav"));
    test::WriteBytes(Local("a.sm"), {1});
    EXPECT_TRUE(UnloadMusic(Song(Local("a.wav"), Archive("music/a.wav")), false));
    EXPECT_FALSE(FileExists(Local("a.wav")));
    EXPECT_TRUE(FileExists(Local("a.sm"))) << "summaries stay unless configured";
    WriteWave(Local("a.wav"));
    EXPECT_TRUE(UnloadMusic(Song(Local("a.wav"), Archive("music/a.wav")), true));
    EXPECT_FALSE(FileExists(Local("a.sm")));
}

TEST_F(SongLoading, DecompressingDecodesBesideTheMp3File) {
    auto job = PlanDecompressMp3(Local("x.y.mp3"));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->archiveName, "");
    EXPECT_EQ(job->destinationPath, Local("x.y.wav"));
    EXPECT_FALSE(PlanDecompressMp3("/" + std::string(260, 'a') + ".mp3"));
}

TEST(CategoryName, RefusesListedEmptySpacedAndPathLikeNames) {
    const std::vector<std::string> listed = {"House"};
    EXPECT_EQ(CheckNewCategoryName("House", listed).Error().text, "That category already exists!");
    EXPECT_EQ(CheckNewCategoryName("", listed).Error().text,
              "Category must not be empty and not begin with a space character.");
    EXPECT_EQ(CheckNewCategoryName(" Techno", listed).Error().caption, "Add Category");
    EXPECT_FALSE(CheckNewCategoryName("../SONGS", listed));
    EXPECT_FALSE(CheckNewCategoryName("a/b", listed));
    EXPECT_FALSE(CheckNewCategoryName(".hidden", listed));
    EXPECT_TRUE(CheckNewCategoryName("Techno 2", listed));
}

}  // namespace
}  // namespace vantor
