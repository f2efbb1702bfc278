#include "database/music_database.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "faulty_file_system.h"
#include "model/set_file.h"
#include "temp_directory.h"

namespace vantor {
namespace {

using test::FaultyFileSystem;
using test::TempDirectory;

RefPtr<CSongProfile> MakeSong(const std::string& key, const std::string& title, double tempo = 130.0,
                              int cuePoints = 0) {
    auto song = MakeRef<CSongProfile>();
    song->SetLocalPath(key);
    song->SetTitle(title);
    song->SetArtist("Artist of " + title);
    song->SetTempo(tempo);
    for (int i = 0; i < cuePoints; ++i) {
        auto point = MakeRef<CMatchPoint>();
        point->SetType(CMatchPoint::CHORUS);
        point->SetPosition(static_cast<uint32_t>(i * 1000));
        point->SetSongKey(key);
        song->AddMatchPoint(point);
    }
    return song;
}

class CountingListener : public IDatabaseListener {
public:
    void DatabaseChanged() override { ++calls; }
    int calls = 0;
};

class MusicDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_db.Open(m_dir.Path())); }
    TempDirectory m_dir;
    CMusicDatabase m_db;
};

TEST_F(MusicDatabaseTest, SongsAndSamplesLiveInTheirOwnStores) {
    CountingListener listener;
    m_db.SetDatabaseListener(&listener);
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/s.wav", "Song")));
    auto sample = MakeSong("/x.wav", "Sample");
    sample->SetType(CSongProfile::kTypeSample | 3);
    ASSERT_TRUE(m_db.PutSample(*sample));
    EXPECT_EQ(listener.calls, 1);
    EXPECT_EQ(m_db.GetSongCount(), 1);
    EXPECT_EQ(m_db.GetSampleCount(), 1);
    // GetSong falls back to the samples.
    ASSERT_TRUE(m_db.GetSong("/x.wav"));
    EXPECT_EQ(m_db.GetSong("/x.wav")->GetType(), CSongProfile::kTypeSample | 3);
    EXPECT_FALSE(m_db.GetSample("/s.wav"));
    EXPECT_FALSE(m_db.GetSong("/S.WAV"));

    // Sort texts: title, artist, tempo with "%f"; samples by title alone.
    CRecordStore songs(m_dir.Path() + "SONGS", false, PosixStoreFileSystem::Instance());
    EXPECT_STREQ(songs.GetEntry(0).Sort(0), "Song");
    EXPECT_STREQ(songs.GetEntry(0).Sort(1), "Artist of Song");
    EXPECT_STREQ(songs.GetEntry(0).Sort(2), "130.000000");
    CRecordStore samples(m_dir.Path() + "SAMPLES", false, PosixStoreFileSystem::Instance());
    EXPECT_STREQ(samples.GetEntry(0).Sort(1), "");

    ASSERT_TRUE(m_db.RemoveSample(*sample));
    EXPECT_EQ(listener.calls, 1);
    ASSERT_TRUE(m_db.RemoveSong(*MakeSong("/s.wav", "")));
    EXPECT_EQ(listener.calls, 2);
    EXPECT_FALSE(m_db.RemoveSong(*MakeSong("", "")));
    EXPECT_EQ(listener.calls, 2);
    m_db.SetDatabaseListener(nullptr);
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/t.wav", "T")));
    EXPECT_EQ(listener.calls, 2);
}

TEST_F(MusicDatabaseTest, TempoTextsSortAsText) {
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/slow.wav", "a", 99.0)));
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/fast.wav", "b", 128.0)));
    EXPECT_EQ(m_db.SortedSongKeys(CMusicDatabase::kSortTempo), (std::vector<std::string>{"/fast.wav", "/slow.wav"}));
}

// Reading many songs at once finds each as GetSong does, keeps the keys'
// order, and stays inside the list whatever range is asked for.
TEST_F(MusicDatabaseTest, SongsReadTogetherAreFoundAsOneByOne) {
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/a.wav", "a")));
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/b.wav", "b")));
    ASSERT_TRUE(m_db.PutSample(*MakeSong("/s.wav", "s")));
    const std::vector<std::string> keys = {"/b.wav", "", "/gone.wav", "/s.wav", "/a.wav"};
    const auto songs = m_db.GetSongs(keys, 0, 100);
    ASSERT_EQ(songs.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(songs[i].get(), m_db.GetSong(keys[i]).get()) << keys[i];
    EXPECT_STREQ(songs[3]->GetTitle(), "s");
    EXPECT_EQ(m_db.GetSongs(keys, 3, 1).size(), 1u);
    EXPECT_EQ(m_db.GetSongs(keys, 4, static_cast<size_t>(-1)).size(), 1u);
    EXPECT_TRUE(m_db.GetSongs(keys, 9, 2).empty());

    // The sorted order follows every change.
    EXPECT_EQ(m_db.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{"/a.wav", "/b.wav"}));
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/c.wav", "0 first")));
    EXPECT_EQ(m_db.SortedSongKeys(CMusicDatabase::kSortTitle),
              (std::vector<std::string>{"/c.wav", "/a.wav", "/b.wav"}));
    ASSERT_TRUE(m_db.RemoveSong(*MakeSong("/a.wav", "a")));
    EXPECT_EQ(m_db.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{"/c.wav", "/b.wav"}));
}

// The search rows are kept between searches: each must follow every change,
// whether made through this database or by another one on the directory.
TEST_F(MusicDatabaseTest, SearchRowsFollowEveryChangeInTitleOrder) {
    auto keysOf = [](const std::shared_ptr<const SongTextIndex>& texts) {
        std::vector<std::string> keys;
        for (const auto& row : *texts) keys.push_back(row->key);
        return keys;
    };
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/b.wav", "bravo")));
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/a.wav", "Alpha")));
    ASSERT_TRUE(m_db.PutSample(*MakeSong("/s.wav", "a sample")));
    auto texts = m_db.GetSongTexts();
    ASSERT_TRUE(texts);
    EXPECT_EQ(keysOf(texts), (std::vector<std::string>{"/a.wav", "/b.wav"}));
    EXPECT_EQ(texts->front()->title, "ALPHA");
    EXPECT_EQ(texts->front()->artist, "ARTIST OF ALPHA");

    // Same title: patched in place; a table already handed out stays as it was.
    auto alpha = MakeSong("/a.wav", "Alpha", 140.0);
    alpha->SetMixer("Dub Mix");
    ASSERT_TRUE(m_db.PutSong(*alpha));
    const auto patched = m_db.GetSongTexts();
    EXPECT_EQ(patched->front()->mixer, "DUB MIX");
    EXPECT_DOUBLE_EQ(patched->front()->tempo, 140.0);
    EXPECT_EQ(texts->front()->mixer, "");

    // A new title moves the song; a removal and a new song are seen.
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/a.wav", "zulu")));
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/c.wav", "charlie")));
    EXPECT_EQ(keysOf(m_db.GetSongTexts()), (std::vector<std::string>{"/b.wav", "/c.wav", "/a.wav"}));
    ASSERT_TRUE(m_db.RemoveSong(*MakeSong("/b.wav", "")));
    EXPECT_EQ(keysOf(m_db.GetSongTexts()), (std::vector<std::string>{"/c.wav", "/a.wav"}));

    // Another database on the directory (as another process would) changes
    // a song; the next search reads the rows again.
    {
        CMusicDatabase other;
        ASSERT_TRUE(other.Open(m_dir.Path()));
        ASSERT_TRUE(other.PutSong(*MakeSong("/c.wav", "Charlie Two")));
        ASSERT_TRUE(other.PutSong(*MakeSong("/d.wav", "delta")));
    }
    texts = m_db.GetSongTexts();
    EXPECT_EQ(keysOf(texts), (std::vector<std::string>{"/c.wav", "/d.wav", "/a.wav"}));
    EXPECT_EQ(texts->front()->title, "CHARLIE TWO");

    // Compaction keeps the rows right.
    ASSERT_TRUE(m_db.CompactDatabase());
    EXPECT_EQ(keysOf(m_db.GetSongTexts()), (std::vector<std::string>{"/c.wav", "/d.wav", "/a.wav"}));
}

TEST_F(MusicDatabaseTest, CompactionLeavesExactlyTheLiveRecordsInTitleOrder) {
    const char* titles[] = {"delta", "Alpha", "charlie", "Bravo", "echo"};
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(m_db.PutSong(*MakeSong("/" + std::to_string(i) + ".wav", titles[i])));
    ASSERT_TRUE(m_db.RemoveSong(*MakeSong("/4.wav", "")));
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/0.wav", "delta", 130.0, 3)));  // grows and moves
    ASSERT_GT(m_dir.Read("SONGS.KYS").size(), 4u + 4 * 376);
    CountingListener listener;
    m_db.SetDatabaseListener(&listener);

    ASSERT_TRUE(m_db.CompactDatabase());
    EXPECT_EQ(listener.calls, 1);
    EXPECT_FALSE(m_dir.Exists("temp.db"));
    EXPECT_FALSE(m_dir.Exists("temp.kys"));
    EXPECT_FALSE(m_dir.Exists("temp.cmt"));

    // Expected: each live profile as read back and written again, one after
    // the other in title order, and a key entry per record.
    const std::vector<std::string> order = {"/1.wav", "/3.wav", "/2.wav", "/0.wav"};
    std::vector<uint8_t> data;
    std::vector<std::pair<int32_t, int32_t>> areas;
    for (const auto& key : order) {
        auto song = m_db.GetSong(key);
        ASSERT_TRUE(song) << key;
        std::vector<uint8_t> record = SerializeToBytes(*song);
        areas.emplace_back(static_cast<int32_t>(data.size()), static_cast<int32_t>(record.size()));
        data.insert(data.end(), record.begin(), record.end());
    }
    EXPECT_EQ(m_dir.Read("SONGS.DB"), data);
    std::vector<uint8_t> keys = m_dir.Read("SONGS.KYS");
    ASSERT_EQ(keys.size(), 4u + order.size() * 376);
    EXPECT_EQ(LoadLE32(keys.data()), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const uint8_t* entry = keys.data() + 4 + i * 376;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry)), order[i]);
        EXPECT_EQ(static_cast<int32_t>(LoadLE32(entry + 256)), areas[i].first);
        EXPECT_EQ(static_cast<int32_t>(LoadLE32(entry + 320)), areas[i].second);
    }
    EXPECT_EQ(m_db.GetSong("/0.wav")->GetMatchPoints().GetCount(), 3);
}

TEST_F(MusicDatabaseTest, InterruptedCompactionLeftoversAreCleared) {
    ASSERT_TRUE(m_db.PutSong(*MakeSong("/a.wav", "A")));
    m_db.Close();
    m_dir.Write("temp.db", std::vector<uint8_t>(100, 1));
    m_dir.Write("temp.kys", std::vector<uint8_t>(4, 0));
    ASSERT_TRUE(m_db.Open(m_dir.Path()));
    EXPECT_FALSE(m_dir.Exists("temp.db"));
    EXPECT_FALSE(m_dir.Exists("temp.kys"));
    EXPECT_TRUE(m_db.GetSong("/a.wav"));
}

// Every change is tried with a failure, and with a crash, at each of its
// steps. Afterwards the files must be byte for byte those before the change
// or those after it, and every earlier record must read back unchanged.
class FaultInjectionTest : public ::testing::Test {
protected:
    struct Snapshot {
        std::vector<uint8_t> data, keys;
        bool operator==(const Snapshot&) const = default;
    };
    using Operation = std::function<bool(CMusicDatabase&)>;

    Snapshot Take() const { return {m_dir.Read("SONGS.DB"), m_dir.Read("SONGS.KYS")}; }

    void Seed(CMusicDatabase& db) {
        if (m_singleSong) {
            ASSERT_TRUE(db.PutSong(*MakeSong("/only.wav", "Only")));
            return;
        }
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(db.PutSong(*MakeSong("/seed" + std::to_string(i) + ".wav", "Seed " + std::to_string(5 - i))));
        ASSERT_TRUE(db.RemoveSong(*MakeSong("/seed2.wav", "")));
        ASSERT_TRUE(db.PutSong(*MakeSong("/seed3.wav", "Seed 2", 130.0, 1)));
    }

    // The titles of every song, read from a freshly opened database.
    std::map<std::string, std::string> Contents() const {
        CMusicDatabase db;
        EXPECT_TRUE(db.Open(m_dir.Path()));
        std::map<std::string, std::string> contents;
        for (const auto& key : db.SortedSongKeys(CMusicDatabase::kSortTitle)) {
            auto song = db.GetSong(key);
            EXPECT_TRUE(song) << key;
            if (song)
                contents[key] = std::string(song->GetTitle()) + "/" +
                                std::to_string(song->GetMatchPoints().GetCount());
        }
        return contents;
    }

    void Check(const char* name, const Operation& operation) {
        std::filesystem::remove_all(m_dir.Path());
        std::filesystem::create_directories(m_dir.Path());
        {
            CMusicDatabase db;
            ASSERT_TRUE(db.Open(m_dir.Path()));
            Seed(db);
        }
        const std::string seeded = m_seed.Path();
        std::filesystem::remove_all(seeded);
        std::filesystem::copy(m_dir.Path(), seeded, std::filesystem::copy_options::recursive);
        const Snapshot before = Take();
        const auto contentsBefore = Contents();

        FaultyFileSystem counter;
        {
            CMusicDatabase db(counter);
            ASSERT_TRUE(db.Open(m_dir.Path()));
            counter.Arm(FaultyFileSystem::Mode::None, -1);
            ASSERT_TRUE(operation(db)) << name;
        }
        const int steps = counter.Steps();
        const Snapshot after = Take();
        const auto contentsAfter = Contents();
        ASSERT_GT(steps, 2) << name;

        for (auto mode : {FaultyFileSystem::Mode::Fail, FaultyFileSystem::Mode::Crash}) {
            for (int step = 0; step < steps; ++step) {
                SCOPED_TRACE(std::string(name) + (mode == FaultyFileSystem::Mode::Fail ? " fail" : " crash") +
                             " at step " + std::to_string(step));
                std::filesystem::remove_all(m_dir.Path());
                std::filesystem::copy(seeded, m_dir.Path(), std::filesystem::copy_options::recursive);
                FaultyFileSystem faulty;
                bool result;
                {
                    CMusicDatabase db(faulty);
                    ASSERT_TRUE(db.Open(m_dir.Path()));
                    faulty.Arm(mode, step);
                    result = operation(db);
                    if (mode == FaultyFileSystem::Mode::Fail && !result && db.IsOpen()) {
                        // A failed change leaves the database usable as it was
                        // (a compaction that failed after its commit closes the
                        // song store until the next opening completes it).
                        EXPECT_EQ(Take(), before);
                        EXPECT_EQ(db.GetSongCount(), static_cast<int32_t>(contentsBefore.size()));
                    }
                }
                // Reopening (and recovering) on the real disk.
                const auto contents = Contents();
                const Snapshot now = Take();
                if (result) {
                    EXPECT_EQ(now, after);
                    EXPECT_EQ(contents, contentsAfter);
                } else {
                    EXPECT_TRUE(now == before || now == after);
                    EXPECT_TRUE(contents == contentsBefore || contents == contentsAfter);
                }
                EXPECT_FALSE(m_dir.Exists("SONGS.JNL"));
                EXPECT_FALSE(m_dir.Exists("temp.db"));
                EXPECT_FALSE(m_dir.Exists("temp.cmt"));
            }
        }
    }

    TempDirectory m_dir;
    TempDirectory m_seed;
    bool m_singleSong = false;
};

TEST_F(FaultInjectionTest, PutSongOfANewSongIsWholeOrAbsent) {
    Check("new song", [](CMusicDatabase& db) { return db.PutSong(*MakeSong("/new.wav", "New")); });
}

TEST_F(FaultInjectionTest, PutSongRewritingInPlaceIsWholeOrAbsent) {
    Check("in place", [](CMusicDatabase& db) { return db.PutSong(*MakeSong("/seed1.wav", "Renamed")); });
}

TEST_F(FaultInjectionTest, PutSongMovingToAFreeOrNewAreaIsWholeOrAbsent) {
    Check("move", [](CMusicDatabase& db) { return db.PutSong(*MakeSong("/seed4.wav", "Bigger", 130.0, 2)); });
    Check("reuse", [](CMusicDatabase& db) { return db.PutSong(*MakeSong("/reuse.wav", "Reuse")); });
}

TEST_F(FaultInjectionTest, RemoveSongIsWholeOrAbsent) {
    Check("remove", [](CMusicDatabase& db) { return db.RemoveSong(*MakeSong("/seed0.wav", "")); });
    m_singleSong = true;
    Check("remove the last", [](CMusicDatabase& db) { return db.RemoveSong(*MakeSong("/only.wav", "")); });
}

TEST_F(FaultInjectionTest, CompactionIsWholeOrAbsent) {
    Check("compact", [](CMusicDatabase& db) { return db.CompactDatabase(); });
}

TEST_F(MusicDatabaseTest, ThreadedReadersNeverSeeAHalfMadeChange) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(m_db.PutSong(*MakeSong("/read" + std::to_string(i) + ".wav", "R" + std::to_string(i))));
        ASSERT_TRUE(m_db.PutSong(*MakeSong("/write" + std::to_string(i) + ".wav", "W")));
    }
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!done) {
            for (int i = 0; i < 20; ++i) {
                auto song = m_db.GetSong("/read" + std::to_string(i) + ".wav");
                if (!song || song->GetTitle() != "R" + std::to_string(i)) ++bad;
            }
            if (m_db.SortedSongKeys(CMusicDatabase::kSortTitle).size() != 40) ++bad;
            if (m_db.GetSongCount() != 40) ++bad;
        }
    });
    // The writer moves its songs around the data file, freeing and reusing
    // entries, while the reader looks songs up through the same key file.
    for (int round = 0; round < 30; ++round)
        for (int i = 0; i < 20; ++i)
            ASSERT_TRUE(m_db.PutSong(*MakeSong("/write" + std::to_string(i) + ".wav", "W", 130.0, round % 4)));
    done = true;
    reader.join();
    EXPECT_EQ(bad, 0);
}

}  // namespace
}  // namespace vantor
