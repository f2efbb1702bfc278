#include "engine/set_songs.h"

#include <gtest/gtest.h>

#include "audio_fixtures.h"
#include "database/music_database.h"

namespace vantor {
namespace {

using test::TempDir;

// Three songs: one whole, one cut shorter than its segment, one whose file is gone.
class SetSongs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(database.Open(dir.Path() + "/"));
        Add("whole", 88200);
        Add("short", 22050);
        Add("gone", 0);
        NewSetOptions options;
        options.audioTracks = 2;
        set = CMusicSet::CreateNew(options);
        Place(1, 0, "whole");
        Place(1, 100000, "short");
        Place(2, 0, "gone");
        Place(2, 100000, "whole");
    }
    void Add(const std::string& name, uint32_t frames) {
        if (frames > 0) test::WriteBytes(dir / (name + ".wav"), test::WaveBytes(test::StaircasePcm(frames)));
        CSongProfile song;
        song.SetLocalPath(dir / (name + ".wav"));
        song.SetTitle(name);
        ASSERT_TRUE(database.PutSong(song));
    }
    void Place(int32_t track, int32_t at, const std::string& name) {
        auto design = MakeRef<CSegmentDesign>();
        design->GetSegment()->SetSongKey(dir / (name + ".wav"));
        design->GetSegment()->SetEnd(44100);
        auto event = MakeRef<CEvent>();
        event->SetSegment(design.get());
        event->SetPosition(at);
        set->GetTrack(track)->GetEvents().Insert(event.get(), at);
    }

    TempDir dir;
    CMusicDatabase database;
    RefPtr<CMusicSet> set;
};

TEST_F(SetSongs, NamesEachSongThatCannotBeReadOnce) {
    const auto unreadable = FindUnreadableSongs(*set, database);
    ASSERT_EQ(unreadable.size(), 2u);
    EXPECT_EQ(unreadable[0].title, "short");
    EXPECT_EQ(unreadable[0].reason, "cut short at 0.5 s of the 1.0 s the set plays");
    EXPECT_EQ(unreadable[1].title, "gone");
    const std::string text = DescribeUnreadableSongs(unreadable);
    EXPECT_NE(text.find("short (" + dir / "short.wav" + "): cut short"), std::string::npos) << text;
}

TEST_F(SetSongs, KnowsTheFilesItReads) {
    EXPECT_TRUE(SetReadsFile(*set, database, dir / "whole.wav"));
    EXPECT_TRUE(SetReadsFile(*set, database, dir.Path() + "/./whole.wav"));
    EXPECT_TRUE(SetReadsFile(*set, database, dir / "gone.wav"));
    EXPECT_FALSE(SetReadsFile(*set, database, dir / "mix.wav"));
}

}  // namespace
}  // namespace vantor
