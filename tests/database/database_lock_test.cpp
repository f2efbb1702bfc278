// Several databases open on one program directory, as several processes
// have them: the lock on SONGS.LCK belongs to the open file, so two
// CMusicDatabase objects exclude each other just as two processes do. Each
// sees the others' changes, none loses another's, a writer that dies halfway
// is undone by the next, and a database opened for reading never writes.
#include "database/database_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "database/music_database.h"
#include "faulty_file_system.h"
#include "model/set_file.h"
#include "platform/file_lock.h"
#include "temp_directory.h"

namespace vantor {
namespace {

using test::FaultyFileSystem;
using test::TempDirectory;

RefPtr<CSongProfile> MakeSong(const std::string& key, const std::string& title, int cuePoints = 0) {
    auto song = MakeRef<CSongProfile>();
    song->SetLocalPath(key);
    song->SetTitle(title);
    for (int i = 0; i < cuePoints; ++i) {
        auto point = MakeRef<CMatchPoint>();
        point->SetType(CMatchPoint::CHORUS);
        point->SetPosition(static_cast<uint32_t>(i));
        song->AddMatchPoint(point);
    }
    return song;
}

// Every file of the directory with its bytes.
std::map<std::string, std::vector<uint8_t>> Files(const TempDirectory& dir) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        files[name] = dir.Read(name);
    }
    return files;
}

TEST(DatabaseLockTest, TwoDatabasesOnOneDirectorySeeEachOthersChanges) {
    TempDirectory dir;
    CMusicDatabase first, second;
    ASSERT_TRUE(first.Open(dir.Path()));
    ASSERT_TRUE(second.Open(dir.Path()));

    ASSERT_TRUE(first.PutSong(*MakeSong("/a.wav", "A")));
    ASSERT_TRUE(second.GetSong("/a.wav"));
    ASSERT_TRUE(second.PutSong(*MakeSong("/b.wav", "B")));
    EXPECT_EQ(first.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{"/a.wav", "/b.wav"}));

    // A change in place is seen although the other had the song cached.
    ASSERT_STREQ(second.GetSong("/a.wav")->GetTitle(), "A");
    ASSERT_TRUE(first.PutSong(*MakeSong("/a.wav", "A changed")));
    EXPECT_STREQ(second.GetSong("/a.wav")->GetTitle(), "A changed");
    ASSERT_TRUE(first.RemoveSong(*MakeSong("/a.wav", "")));
    EXPECT_FALSE(second.GetSong("/a.wav"));

    // Compaction replaces the files under the other database.
    ASSERT_TRUE(first.PutSong(*MakeSong("/b.wav", "B", 5)));
    ASSERT_TRUE(second.CompactDatabase());
    ASSERT_TRUE(first.PutSong(*MakeSong("/c.wav", "C")));
    ASSERT_TRUE(first.CreateCategory("Peak"));
    ASSERT_TRUE(second.AddToCategory("Peak", "/c.wav"));
    EXPECT_EQ(first.ListCategory("Peak", CMusicDatabase::kSortTitle), std::vector<std::string>{"/c.wav"});

    CMusicDatabase fresh;
    ASSERT_TRUE(fresh.Open(dir.Path()));
    EXPECT_EQ(fresh.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{"/b.wav", "/c.wav"}));
    EXPECT_EQ(fresh.GetSong("/b.wav")->GetMatchPoints().GetCount(), 5);
    EXPECT_EQ(fresh.GetDamagedCount(), 0);
}

TEST(DatabaseLockTest, ThreadedWritersOfSeveralDatabasesLoseNothing) {
    TempDirectory dir;
    constexpr int kSongs = 60;
    std::atomic<int> failures{0};
    auto adder = [&](const std::string& prefix) {
        CMusicDatabase db;
        if (!db.Open(dir.Path())) return ++failures, void();
        for (int i = 0; i < kSongs; ++i)
            if (!db.PutSong(*MakeSong(prefix + std::to_string(i) + ".wav", prefix, i % 3))) ++failures;
    };
    std::atomic<bool> adding{true};
    std::thread a(adder, "/a"), b(adder, "/b");
    std::thread compactor([&] {
        CMusicDatabase db;
        if (!db.Open(dir.Path())) return ++failures, void();
        while (adding)
            if (!db.CompactDatabase()) ++failures;
    });
    a.join();
    b.join();
    adding = false;
    compactor.join();
    EXPECT_EQ(failures, 0);

    CMusicDatabase db;
    ASSERT_TRUE(db.Open(dir.Path()));
    EXPECT_EQ(db.GetSongCount(), 2 * kSongs);
    for (const char* prefix : {"/a", "/b"})
        for (int i = 0; i < kSongs; ++i) EXPECT_TRUE(db.GetSong(prefix + std::to_string(i) + ".wav")) << prefix << i;
}

TEST(DatabaseLockTest, AWriterWaitingForAnotherProcessIsReportedOnce) {
    TempDirectory dir;
    CMusicDatabase db;
    std::mutex mutex;
    std::vector<std::string> reports;
    db.SetWaitReport([&](const std::string& message) {
        std::lock_guard lock(mutex);
        reports.push_back(message);
    });
    ASSERT_TRUE(db.Open(dir.Path()));
    auto reported = [&] {
        std::lock_guard lock(mutex);
        return reports.size();
    };

    FileLock other;
    ASSERT_TRUE(other.Open(dir / "SONGS.LCK", false));
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(other.Lock(FileLock::Mode::Exclusive, FileLock::Wait::Try), FileLock::Outcome::Locked);
        std::atomic<bool> stored{false};
        std::thread writer([&] { stored = db.PutSong(*MakeSong("/w" + std::to_string(round) + ".wav", "W")); });
        const auto start = std::chrono::steady_clock::now();
        while (round == 0 && reported() == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(2 * DatabaseLock::kPatienceMilliseconds));
        EXPECT_FALSE(stored);  // still waiting
        other.Unlock();
        writer.join();
        EXPECT_TRUE(stored);
    }
    EXPECT_EQ(reports, std::vector<std::string>{DatabaseLock::kWaitMessage});
    EXPECT_EQ(db.GetSongCount(), 2);
}

TEST(DatabaseLockTest, OpenedForReadingItReadsAndNeverWrites) {
    TempDirectory dir;
    {
        CMusicDatabase db;
        ASSERT_TRUE(db.Open(dir.Path()));
        ASSERT_TRUE(db.PutSong(*MakeSong("/a.wav", "A")));
        ASSERT_TRUE(db.PutSong(*MakeSong("/b.wav", "B")));
        ASSERT_TRUE(db.CreateCategory("Peak"));
        ASSERT_TRUE(db.AddToCategory("Peak", "/b.wav"));
        // /b.wav moves: the category's stored index is stale from now on.
        ASSERT_TRUE(db.PutSong(*MakeSong("/b.wav", "B", 4)));
    }
    const auto files = Files(dir);

    CMusicDatabase reader;
    ASSERT_TRUE(reader.Open(dir.Path(), StoreAccess::ReadOnly));
    EXPECT_TRUE(reader.IsReadOnly());
    EXPECT_EQ(reader.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{"/a.wav", "/b.wav"}));
    EXPECT_EQ(reader.GetSong("/b.wav")->GetMatchPoints().GetCount(), 4);
    EXPECT_EQ(reader.ListCategory("Peak", CMusicDatabase::kSortTitle), std::vector<std::string>{"/b.wav"});
    EXPECT_EQ(reader.CategoryNames(), std::vector<std::string>{"Peak"});
    // Every change is refused.
    EXPECT_FALSE(reader.PutSong(*MakeSong("/c.wav", "C")));
    EXPECT_FALSE(reader.PutSample(*MakeSong("/c.wav", "C")));
    EXPECT_FALSE(reader.RemoveSong(*MakeSong("/a.wav", "")));
    EXPECT_FALSE(reader.CreateCategory("New"));
    EXPECT_FALSE(reader.AddToCategory("Peak", "/a.wav"));
    EXPECT_FALSE(reader.RemoveFromCategory("Peak", "/b.wav"));
    EXPECT_FALSE(reader.DeleteCategory("Peak"));
    EXPECT_FALSE(reader.CompactDatabase());
    EXPECT_EQ(Files(dir), files);

    // A writer's changes reach the reader.
    CMusicDatabase writer;
    ASSERT_TRUE(writer.Open(dir.Path()));
    ASSERT_TRUE(writer.PutSong(*MakeSong("/c.wav", "C")));
    EXPECT_TRUE(reader.GetSong("/c.wav"));

    // An empty directory reads as an empty database and stays empty.
    TempDirectory empty;
    CMusicDatabase nothing;
    ASSERT_TRUE(nothing.Open(empty.Path(), StoreAccess::ReadOnly));
    EXPECT_EQ(nothing.GetSongCount(), 0);
    EXPECT_TRUE(Files(empty).empty());
}

TEST(DatabaseLockTest, ADirectoryThatCannotBeWrittenOpensForReadingOnly) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into any directory";
    TempDirectory dir;
    {
        CMusicDatabase db;
        ASSERT_TRUE(db.Open(dir.Path()));
        ASSERT_TRUE(db.PutSong(*MakeSong("/a.wav", "A")));
    }
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    CMusicDatabase db;
    EXPECT_FALSE(db.Open(dir.Path()));
    EXPECT_NE(db.GetOpenError().find("cannot be changed: Permission denied"), std::string::npos) << db.GetOpenError();
    ASSERT_TRUE(db.Open(dir.Path(), StoreAccess::ReadOnly));
    EXPECT_TRUE(db.GetSong("/a.wav"));
    ::chmod(dir.Path().c_str(), 0755);
}

// A writer dies (here: its file system stops) at each step of a change in
// turn. A database opened before, in another "process", must find the
// files whole on its next lookup: the change undone or complete, never half.
TEST(DatabaseLockTest, AWriterThatDiesHalfwayIsUndoneByTheNextHolder) {
    TempDirectory dir;
    TempDirectory seed;
    {
        CMusicDatabase db;
        ASSERT_TRUE(db.Open(seed.Path()));
        for (int i = 0; i < 4; ++i) ASSERT_TRUE(db.PutSong(*MakeSong("/s" + std::to_string(i) + ".wav", "Old", 2)));
    }
    auto change = [](CMusicDatabase& db) { return db.PutSong(*MakeSong("/s1.wav", "New", 9)); };
    int steps = 0;
    {
        std::filesystem::copy(seed.Path(), dir.Path(), std::filesystem::copy_options::overwrite_existing);
        FaultyFileSystem counter;
        CMusicDatabase db(counter);
        ASSERT_TRUE(db.Open(dir.Path()));
        counter.Arm(FaultyFileSystem::Mode::None, -1);
        ASSERT_TRUE(change(db));
        steps = counter.Steps();
    }
    ASSERT_GT(steps, 3);
    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE("dies at step " + std::to_string(step));
        std::filesystem::remove_all(dir.Path());
        std::filesystem::copy(seed.Path(), dir.Path());
        CMusicDatabase survivor;
        ASSERT_TRUE(survivor.Open(dir.Path()));
        ASSERT_STREQ(survivor.GetSong("/s1.wav")->GetTitle(), "Old");
        {
            FaultyFileSystem faulty;
            CMusicDatabase dying(faulty);
            ASSERT_TRUE(dying.Open(dir.Path()));
            faulty.Arm(FaultyFileSystem::Mode::Crash, step);
            change(dying);
        }
        RefPtr<CSongProfile> song = survivor.GetSong("/s1.wav");
        ASSERT_TRUE(song);
        const std::string title = song->GetTitle();
        EXPECT_TRUE((title == "Old" && song->GetMatchPoints().GetCount() == 2) ||
                    (title == "New" && song->GetMatchPoints().GetCount() == 9))
            << title;
        EXPECT_EQ(survivor.GetSongCount(), 4);
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(survivor.GetSong("/s" + std::to_string(i) + ".wav")) << i;
        EXPECT_FALSE(dir.Exists("SONGS.JNL"));
    }
}

TEST(DatabaseLockTest, AnInterruptedChangeKeepsReadersOutUntilAWriterUndoesIt) {
    TempDirectory dir;
    {
        CMusicDatabase db;
        ASSERT_TRUE(db.Open(dir.Path()));
        ASSERT_TRUE(db.PutSong(*MakeSong("/a.wav", "A")));
    }
    {
        // Dies once its journal is on the disk and the record half written.
        FaultyFileSystem faulty;
        CMusicDatabase dying(faulty);
        ASSERT_TRUE(dying.Open(dir.Path()));
        faulty.Arm(FaultyFileSystem::Mode::Crash, 5);
        EXPECT_FALSE(dying.PutSong(*MakeSong("/a.wav", "Changed")));
    }
    ASSERT_TRUE(dir.Exists("SONGS.JNL"));
    CMusicDatabase reader;
    EXPECT_FALSE(reader.Open(dir.Path(), StoreAccess::ReadOnly));
    EXPECT_NE(reader.GetOpenError().find("interrupted"), std::string::npos) << reader.GetOpenError();
    CMusicDatabase writer;
    ASSERT_TRUE(writer.Open(dir.Path()));
    EXPECT_FALSE(dir.Exists("SONGS.JNL"));
    ASSERT_TRUE(reader.Open(dir.Path(), StoreAccess::ReadOnly));
    EXPECT_STREQ(reader.GetSong("/a.wav")->GetTitle(), "A");
}

}  // namespace
}  // namespace vantor
