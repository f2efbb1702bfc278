// Song stores whose files were damaged outside the program: a data file cut
// short, key entries pointing into another song's record, past the end of
// the data file or at a size over the cap. What is whole stays readable,
// the damage is counted, nothing is ever written over bytes an entry
// claims, and compaction drops exactly the damaged entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "database/music_database.h"
#include "model/set_file.h"
#include "model/value_io.h"
#include "temp_directory.h"

namespace vantor {
namespace {

using test::TempDirectory;

RefPtr<CSongProfile> MakeSong(const std::string& key, const std::string& title, int cuePoints = 0) {
    auto song = MakeRef<CSongProfile>();
    song->SetLocalPath(key);
    song->SetTitle(title);
    song->SetTempo(128.0);
    for (int i = 0; i < cuePoints; ++i) {
        auto point = MakeRef<CMatchPoint>();
        point->SetType(CMatchPoint::CHORUS);
        point->SetPosition(static_cast<uint32_t>(i * 4410));
        point->SetSongKey(key);
        song->AddMatchPoint(point);
    }
    return song;
}

std::string Key(int i) { return "/song" + std::to_string(i) + ".wav"; }

// The key file's entries, read and edited by their byte layout.
class KeyFileBytes {
public:
    explicit KeyFileBytes(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    int32_t Offset(int i) const { return static_cast<int32_t>(LoadLE32(At(i) + 256)); }
    int32_t Size(int i) const { return static_cast<int32_t>(LoadLE32(At(i) + 320)); }
    void SetOffset(int i, int32_t offset) { StoreLE32(At(i) + 256, static_cast<uint32_t>(offset)); }
    void SetSize(int i, int32_t size) { StoreLE32(At(i) + 320, static_cast<uint32_t>(size)); }
    // The mark a damaged entry carries in its unused bytes.
    bool Marked(int i) const { return std::memcmp(At(i) + 324, "DAMAGED", 8) == 0; }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    uint8_t* At(int i) { return m_bytes.data() + 4 + static_cast<size_t>(i) * 376; }
    const uint8_t* At(int i) const { return m_bytes.data() + 4 + static_cast<size_t>(i) * 376; }
    std::vector<uint8_t> m_bytes;
};

class DamagedStoreTest : public ::testing::Test {
protected:
    // Songs 0..n-1, each with more cue points than the one before, so that
    // their records grow along the data file.
    void Seed(int songs) {
        CMusicDatabase db;
        ASSERT_TRUE(db.Open(m_dir.Path()));
        for (int i = 0; i < songs; ++i) ASSERT_TRUE(db.PutSong(*MakeSong(Key(i), "Song " + std::to_string(i), 2 * i)));
    }
    KeyFileBytes Keys() const { return KeyFileBytes(m_dir.Read("SONGS.KYS")); }
    void Damage(const KeyFileBytes& keys) const { m_dir.Write("SONGS.KYS", keys.Bytes()); }

    // Each listed song's record bytes, read through a fresh database.
    std::map<std::string, std::vector<uint8_t>> Readable() const {
        CMusicDatabase db;
        EXPECT_TRUE(db.Open(m_dir.Path()));
        std::map<std::string, std::vector<uint8_t>> records;
        for (const auto& key : db.SortedSongKeys(CMusicDatabase::kSortTitle))
            if (auto song = db.GetSong(key)) records[key] = SerializeToBytes(*song);
        return records;
    }

    TempDirectory m_dir;
};

TEST_F(DamagedStoreTest, DataFileOneByteShortKeepsTheRestAndTheCutRecordIsNeverOverwritten) {
    Seed(3);
    std::vector<uint8_t> data = m_dir.Read("SONGS.DB");
    const auto length = static_cast<int32_t>(data.size());
    ASSERT_EQ(Keys().Offset(2) + Keys().Size(2), length);
    data.pop_back();
    m_dir.Write("SONGS.DB", data);

    {
        CMusicDatabase db;
        ASSERT_TRUE(db.Open(m_dir.Path()));
        EXPECT_EQ(db.GetDamagedCount(), 1);
        EXPECT_EQ(db.GetSongCount(), 2);
        EXPECT_EQ(db.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{Key(0), Key(1)}));
        EXPECT_TRUE(db.GetSong(Key(0)));
        EXPECT_TRUE(db.GetSong(Key(1)));
        EXPECT_FALSE(db.GetSong(Key(2)));
        ASSERT_TRUE(db.PutSong(*MakeSong("/new.wav", "New")));
    }
    // The new record starts after every byte the cut record claims, and
    // the first change marks the damaged entry.
    KeyFileBytes keys = Keys();
    EXPECT_GE(keys.Offset(3), length);
    EXPECT_TRUE(keys.Marked(2));
    EXPECT_FALSE(keys.Marked(0) || keys.Marked(1) || keys.Marked(3));
    std::vector<uint8_t> now = m_dir.Read("SONGS.DB");
    ASSERT_GT(now.size(), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), now.begin()));

    // The data file now reaches past the cut record; the mark keeps it damaged.
    CMusicDatabase db;
    ASSERT_TRUE(db.Open(m_dir.Path()));
    EXPECT_EQ(db.GetDamagedCount(), 1);
    EXPECT_FALSE(db.GetSong(Key(2)));
    // Adding the song again stores it anew and frees the damaged entry; a
    // later change of it (here it grows and moves) leaves the other songs be.
    ASSERT_TRUE(db.PutSong(*MakeSong(Key(2), "Song 2 again")));
    EXPECT_EQ(db.GetDamagedCount(), 0);
    ASSERT_TRUE(db.PutSong(*MakeSong(Key(2), "Song 2 changed", 20)));
    EXPECT_STREQ(db.GetSong("/new.wav")->GetTitle(), "New");
    EXPECT_STREQ(db.GetSong(Key(2))->GetTitle(), "Song 2 changed");
    EXPECT_EQ(db.GetSong(Key(2))->GetMatchPoints().GetCount(), 20);
    now = m_dir.Read("SONGS.DB");
    EXPECT_TRUE(std::equal(data.begin(), data.end(), now.begin()));
}

TEST_F(DamagedStoreTest, EntriesPointingIntoAnotherRecordLoseToTheRecordThatReadsBack) {
    Seed(4);
    KeyFileBytes keys = Keys();
    // Entry 0 points exactly at song 1's record (same start, earlier entry);
    // entry 2 points into the middle of song 3's record.
    keys.SetOffset(0, keys.Offset(1));
    keys.SetOffset(2, keys.Offset(3) + 8);
    const int32_t song1Offset = keys.Offset(1);
    Damage(keys);
    const int64_t length = static_cast<int64_t>(m_dir.Read("SONGS.DB").size());

    CMusicDatabase db;
    ASSERT_TRUE(db.Open(m_dir.Path()));
    EXPECT_EQ(db.GetDamagedCount(), 2);
    EXPECT_EQ(db.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{Key(1), Key(3)}));
    ASSERT_TRUE(db.GetSong(Key(1)));
    EXPECT_EQ(db.GetSong(Key(1))->GetMatchPoints().GetCount(), 2);
    EXPECT_STREQ(db.GetSong(Key(3))->GetTitle(), "Song 3");
    EXPECT_FALSE(db.GetSong(Key(0)));
    EXPECT_FALSE(db.GetSong(Key(2)));

    // Song 1's area is claimed by the damaged entry too: freed, it is not
    // reused by a smaller record, which goes after everything instead.
    ASSERT_TRUE(db.RemoveSong(*MakeSong(Key(1), "")));
    ASSERT_TRUE(db.PutSong(*MakeSong("/small.wav", "Small")));
    keys = Keys();
    EXPECT_NE(keys.Offset(4), song1Offset);
    EXPECT_GE(keys.Offset(4), length);
    EXPECT_TRUE(keys.Marked(0) && keys.Marked(2));

    const auto before = Readable();
    ASSERT_EQ(before.size(), 2u);
    std::vector<std::string> dropped;
    ASSERT_TRUE(db.CompactDatabase(&dropped));
    std::sort(dropped.begin(), dropped.end());
    EXPECT_EQ(dropped, (std::vector<std::string>{Key(0), Key(2)}));
    EXPECT_EQ(db.GetDamagedCount(), 0);
    EXPECT_EQ(Readable(), before);
    EXPECT_EQ(m_dir.Read("SONGS.KYS").size(), 4u + 2 * 376);
}

TEST_F(DamagedStoreTest, AreasPastTheEndOrOverTheCapAreDamagedAndDroppedByCompaction) {
    Seed(3);
    KeyFileBytes keys = Keys();
    const auto length = static_cast<int32_t>(m_dir.Read("SONGS.DB").size());
    keys.SetSize(1, CRecordStore::kMaxRecordBytes + 1);
    keys.SetOffset(2, length + 1000);
    Damage(keys);

    {
        CMusicDatabase db;
        ASSERT_TRUE(db.Open(m_dir.Path()));
        EXPECT_EQ(db.GetDamagedCount(), 2);
        EXPECT_EQ(db.SortedSongKeys(CMusicDatabase::kSortTitle), (std::vector<std::string>{Key(0)}));
        ASSERT_TRUE(db.PutSong(*MakeSong("/new.wav", "New", 30)));
    }
    EXPECT_GE(Keys().Offset(3), length);
    EXPECT_TRUE(Keys().Marked(1) && Keys().Marked(2));

    const auto before = Readable();
    CMusicDatabase db;
    ASSERT_TRUE(db.Open(m_dir.Path()));
    EXPECT_EQ(db.GetDamagedCount(), 2);
    std::vector<std::string> dropped;
    ASSERT_TRUE(db.CompactDatabase(&dropped));
    std::sort(dropped.begin(), dropped.end());
    EXPECT_EQ(dropped, (std::vector<std::string>{Key(1), Key(2)}));
    EXPECT_EQ(Readable(), before);
    EXPECT_EQ(db.GetSongCount(), 2);
    EXPECT_EQ(db.GetDamagedCount(), 0);
}

TEST_F(DamagedStoreTest, RecordsThatDoNotReadBackAreDroppedByCompactionAndReported) {
    Seed(3);
    // Song 1's record is overwritten with garbage; its entry is whole.
    std::vector<uint8_t> data = m_dir.Read("SONGS.DB");
    const KeyFileBytes keys = Keys();
    std::fill_n(data.begin() + keys.Offset(1), keys.Size(1), 0xEE);
    m_dir.Write("SONGS.DB", data);
    const auto before = Readable();
    ASSERT_EQ(before.size(), 2u);

    CMusicDatabase db;
    ASSERT_TRUE(db.Open(m_dir.Path()));
    std::vector<std::string> dropped;
    ASSERT_TRUE(db.CompactDatabase(&dropped));
    EXPECT_EQ(dropped, std::vector<std::string>{Key(1)});
    EXPECT_EQ(Readable(), before);
}

}  // namespace
}  // namespace vantor
