#include "library/set_music_load.h"

#include <thread>

#include "database/song_profile.h"
#include "library/library_fixture.h"
#include "model/music_set.h"
#include "platform/file_io.h"

namespace vantor {
namespace {

using test::LibraryFixture;

class SetMusicLoad : public LibraryFixture {
protected:
    void Store(const std::string& name, const std::string& archiveName) {
        WriteWave(Archive("music/" + name));
        CSongProfile song;
        song.SetLocalPath(Local(name));
        song.SetArchivePath(Archive("music/" + name));
        song.SetArchiveName(archiveName);
        ASSERT_TRUE(database.PutSong(song));
    }
    // Runs the load on a worker while this thread answers its questions.
    SetMusicProgress RunAnswering(std::vector<SetMusicPair> pairs, std::deque<bool> answers) {
        QuestionChannel questions;
        CSetMusicLoad load(database, questions, {});
        SetMusicProgress result;
        std::atomic<bool> finished{false};
        std::thread worker([&] {
            result = load.Run(pairs);
            finished = true;
        });
        while (!finished) {
            if (auto question = questions.Pending()) {
                asked.push_back(question->text);
                questions.Answer(!answers.empty() && answers.front());
                if (!answers.empty()) answers.pop_front();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        worker.join();
        return result;
    }
};

TEST_F(SetMusicLoad, ThreadedSortsByArchiveAndSkipsTheRestOfADeclinedArchive) {
    Store("a1.wav", "alpha");
    Store("a2.wav", "Alpha");
    Store("b1.wav", "beta");
    const std::vector<SetMusicPair> pairs = {
        {"beta", Local("b1.wav")}, {"alpha", Local("a1.wav")}, {"Alpha", Local("a2.wav")}};
    // alpha: Cancel, then Yes to skipping; beta: OK.
    const auto result = RunAnswering(pairs, {false, true, true});
    EXPECT_EQ(asked, (std::vector<std::string>{"Files will be copied from archive: alpha. Ready?",
                                               "Skipping to next archive. Do you wish to continue?",
                                               "Files will be copied from archive: beta. Ready?"}));
    EXPECT_FALSE(FileExists(Local("a1.wav")));
    EXPECT_FALSE(FileExists(Local("a2.wav")));
    EXPECT_TRUE(FileExists(Local("b1.wav")));
    EXPECT_EQ(result.copied, 1u);
    EXPECT_EQ(result.total, 3u);
}

TEST_F(SetMusicLoad, ThreadedAKeyNoLongerStoredCountsAsFailedAndTheRunGoesOn) {
    Store("a.wav", "one");
    const auto result = RunAnswering({{"one", Local("gone.wav")}, {"one", Local("a.wav")}}, {true, true});
    EXPECT_EQ(result.failed, 1u);
    EXPECT_EQ(result.copied, 1u);
    EXPECT_EQ(result.remaining, 0u);
    EXPECT_TRUE(FileExists(Local("a.wav")));
}

TEST_F(SetMusicLoad, ThreadedNoToSkippingEndsTheRun) {
    Store("a.wav", "one");
    Store("b.wav", "two");
    const auto result = RunAnswering({{"one", Local("a.wav")}, {"two", Local("b.wav")}}, {false, false});
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(result.copied + result.failed, 0u);
}

TEST(SetMusicEstimate, IsGuardedBeforeTheFirstCopyAndNeverNegative) {
    EXPECT_EQ(CSetMusicLoad::EstimateRemaining(10, 0, 0.0, 5.0), 0.0);
    EXPECT_DOUBLE_EQ(CSetMusicLoad::EstimateRemaining(10, 2, 4.0, 1.0), 15.0);
    EXPECT_EQ(CSetMusicLoad::EstimateRemaining(3, 2, 2.0, 50.0), 0.0);
    EXPECT_EQ(CSetMusicLoad::EstimateRemaining(3, 3, 2.0, 0.0), 0.0);
}

// The set's songs whose local files are missing, each once, with their
// archives; songs that cannot be loaded are named apart.
TEST_F(SetMusicLoad, MissingSongsOfASetAreFoundOncePerSong) {
    Store("a.wav", "DISC A");
    Store("b.wav", "DISC B");
    WriteWave(Local("here.wav"));
    CSongProfile here;
    here.SetLocalPath(Local("here.wav"));
    ASSERT_TRUE(database.PutSong(here));
    CSongProfile lost;
    lost.SetLocalPath(Local("lost.wav"));
    ASSERT_TRUE(database.PutSong(lost));

    NewSetOptions options;
    options.audioTracks = 3;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    auto place = [&](int32_t track, int32_t position, const std::string& key) {
        auto segment = MakeRef<CSegment>();
        segment->SetSongKey(key);
        segment->SetEnd(100);
        auto design = MakeRef<CSegmentDesign>();
        design->SetSegment(segment.get());
        auto event = MakeRef<CEvent>();
        event->SetPosition(position);
        event->SetSegment(design.get());
        set->GetTrack(track)->GetEvents().Insert(event.get(), position);
    };
    place(1, 0, Local("b.wav"));
    place(1, 1000, Local("a.wav"));
    place(2, 0, Local("b.wav"));
    place(2, 500, Local("here.wav"));
    place(3, 0, Local("lost.wav"));
    place(3, 10, Local("unknown.wav"));

    std::vector<std::string> unloadable;
    const auto pairs = CSetMusicLoad::MissingSongs(*set, database, &unloadable);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].songKey, Local("b.wav"));
    EXPECT_EQ(pairs[0].archiveName, "DISC B");
    EXPECT_EQ(pairs[1].songKey, Local("a.wav"));
    EXPECT_EQ(unloadable, (std::vector<std::string>{Local("lost.wav"), Local("unknown.wav")}));
}

}  // namespace
}  // namespace vantor
