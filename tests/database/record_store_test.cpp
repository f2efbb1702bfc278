#include "database/record_store.h"

#include <gtest/gtest.h>

#include "model/fixed_text.h"
#include "model/set_file.h"
#include "record_bytes.h"
#include "temp_directory.h"

namespace vantor {
namespace {

using test::RecordBytes;
using test::TempDirectory;

// A record whose size is chosen by the test: key (255), a count n, n bytes.
class SizedRecord : public ISerializable {
public:
    SizedRecord() = default;
    SizedRecord(const std::string& key, int32_t totalSize, uint8_t fill = 'x') : m_key(key), m_fill(fill) {
        m_payload = totalSize - 263;
    }
    const char* GetKey() const override { return m_key.c_str(); }
    int32_t GetPayload() const { return m_payload; }
    uint8_t GetFill() const { return m_fill; }
    void Serialize(CMemoryOStream& out) const override {
        m_key.Write(out);
        WriteInt32(out, m_payload);
        std::vector<uint8_t> payload(static_cast<size_t>(m_payload), m_fill);
        out.Write(payload.data(), m_payload);
    }
    void Deserialize(CMemoryIStream& in) override {
        m_key.Clear();
        m_payload = 0;
        if (!m_key.Read(in)) return;
        m_payload = ReadInt32(in);
        if (m_payload < 0 || m_payload > in.GetRemaining()) return in.MarkDamaged();
        if (m_payload > 0) in.Read(&m_fill, 1);
        in.StepBack(m_payload > 0 ? 1 : 0);
        std::vector<uint8_t> skip(static_cast<size_t>(m_payload));
        in.Read(skip.data(), m_payload);
    }
    SizedRecord* Clone() const override {
        auto* copy = new SizedRecord();
        copy->m_key = m_key;
        copy->m_payload = m_payload;
        copy->m_fill = m_fill;
        return copy;
    }

private:
    FixedText<255> m_key;
    int32_t m_payload = 0;
    uint8_t m_fill = 0;
};

// An entry built from the key file layout, not from KeyEntry.
std::vector<uint8_t> EntryBytes(const std::string& key, int32_t offset, const std::string& s0, const std::string& s1,
                                const std::string& s2, int32_t size) {
    RecordBytes entry;
    entry.Raw(key, 256).Int(offset).Raw(s0, 20).Raw(s1, 20).Raw(s2, 20).Int(size).Raw("", 52);
    return entry.Get();
}

class RecordStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<CRecordStore> Open() {
        return std::make_unique<CRecordStore>(m_dir.Path() + "SONGS", true, PosixStoreFileSystem::Instance());
    }
    bool Put(CRecordStore& store, const std::string& key, int32_t size, const std::string& sort = "") {
        return store.SaveRecord(SizedRecord(key, size), sort, "", "");
    }
    TempDirectory m_dir;
};

TEST_F(RecordStoreTest, KeyAndDataFilesFollowTheLayout) {
    auto store = Open();
    ASSERT_TRUE(store->IsOpen());
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/a.wav", 300), "Alpha", "Artist A", "128.000000"));
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/b.wav", 400), "A title longer than nineteen", "B", "99.000000"));

    RecordBytes keys;
    keys.Int(2);
    keys.Bytes(EntryBytes("/a.wav", 0, "Alpha", "Artist A", "128.000000", 300));
    keys.Bytes(EntryBytes("/b.wav", 300, "A title longer than", "B", "99.000000", 400));
    EXPECT_EQ(m_dir.Read("SONGS.KYS"), keys.Get());

    RecordBytes data;
    data.Text(255, "/a.wav").Int(37).Raw(std::string(37, 'x'), 37);
    data.Text(255, "/b.wav").Int(137).Raw(std::string(137, 'x'), 137);
    EXPECT_EQ(m_dir.Read("SONGS.DB"), data.Get());
    EXPECT_FALSE(m_dir.Exists("SONGS.JNL"));

    // A fresh store reads back what was written.
    store = Open();
    EXPECT_EQ(store->GetLiveCount(), 2);
    EXPECT_EQ(store->Find("/b.wav"), 1);
    auto record = store->LoadRecord("/b.wav", MakeRef<SizedRecord>());
    ASSERT_TRUE(record);
    EXPECT_EQ(static_cast<SizedRecord*>(record.get())->GetPayload(), 137);
}

TEST_F(RecordStoreTest, GrowingRecordMovesAndLeavesItsEntryFree) {
    auto store = Open();
    ASSERT_TRUE(Put(*store, "/a.wav", 300));
    ASSERT_TRUE(Put(*store, "/b.wav", 300));
    // Smaller: stays in place, the reserved size does not shrink.
    ASSERT_TRUE(Put(*store, "/a.wav", 280));
    EXPECT_EQ(store->GetEntry(0).offset, 0);
    EXPECT_EQ(store->GetEntry(0).size, 300);
    // Larger: moves to the end of the data file; the old entry is free with
    // only its first key byte cleared.
    ASSERT_TRUE(Put(*store, "/a.wav", 301));
    ASSERT_EQ(store->GetEntryCount(), 3);
    EXPECT_TRUE(store->GetEntry(0).IsFree());
    EXPECT_STREQ(store->GetEntry(0).Key() + 1, "a.wav");
    EXPECT_EQ(store->Find("/a.wav"), 2);
    EXPECT_EQ(store->GetEntry(2).offset, 600);
    EXPECT_EQ(store->GetLiveCount(), 2);

    std::vector<uint8_t> keys = m_dir.Read("SONGS.KYS");
    ASSERT_EQ(keys.size(), 4u + 3 * 376);
    EXPECT_EQ(keys[0], 2);
    EXPECT_EQ(keys[4], 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&keys[5])), "a.wav");
    EXPECT_EQ(m_dir.Read("SONGS.DB").size(), 901u);
}

TEST_F(RecordStoreTest, FreeEntryIsReusedOnlyByASmallerRecord) {
    auto store = Open();
    ASSERT_TRUE(Put(*store, "/x.wav", 2000));
    ASSERT_TRUE(Put(*store, "/y.wav", 500));
    ASSERT_TRUE(store->RemoveRecord("/x.wav"));
    ASSERT_TRUE(Put(*store, "/same.wav", 2000));
    EXPECT_EQ(store->Find("/same.wav"), 2);
    EXPECT_EQ(store->GetEntry(2).offset, 2500);
    ASSERT_TRUE(Put(*store, "/smaller.wav", 1999));
    EXPECT_EQ(store->Find("/smaller.wav"), 0);
    EXPECT_EQ(store->GetEntry(0).offset, 0);
    EXPECT_EQ(store->GetEntry(0).size, 1999);
    EXPECT_EQ(store->GetLiveCount(), 3);
    auto back = Open();
    EXPECT_EQ(back->GetEntry(0).size, 1999);
    EXPECT_TRUE(back->LoadRecord("/smaller.wav", MakeRef<SizedRecord>()));
}

TEST_F(RecordStoreTest, RemovingTheLastLiveRecordLeavesTheCountAlone) {
    auto store = Open();
    ASSERT_TRUE(Put(*store, "/a.wav", 300));
    ASSERT_TRUE(Put(*store, "/b.wav", 300));
    ASSERT_TRUE(store->RemoveRecord("/a.wav"));
    EXPECT_EQ(m_dir.Read("SONGS.KYS").size(), 4u + 2 * 376);
    ASSERT_TRUE(store->RemoveRecord("/b.wav"));
    EXPECT_EQ(m_dir.Read("SONGS.KYS"), RecordBytes().Int(0).Get());
    EXPECT_FALSE(store->RemoveRecord("/b.wav"));
    EXPECT_EQ(Open()->GetEntryCount(), 0);

    // The free entries this store still holds come back with the next record.
    ASSERT_TRUE(Put(*store, "/c.wav", 280));
    EXPECT_EQ(store->Find("/c.wav"), 0);
    std::vector<uint8_t> keys = m_dir.Read("SONGS.KYS");
    ASSERT_EQ(keys.size(), 4u + 2 * 376);
    EXPECT_EQ(keys[0], 1);
}

TEST_F(RecordStoreTest, KeysMatchByteForByte) {
    auto store = Open();
    ASSERT_TRUE(Put(*store, "/Music/Song.wav", 300));
    EXPECT_EQ(store->Find("/Music/Song.wav"), 0);
    EXPECT_EQ(store->Find("/music/song.wav"), -1);
    EXPECT_FALSE(store->LoadRecord("/music/song.wav", MakeRef<SizedRecord>()));
    EXPECT_FALSE(store->RemoveRecord("/MUSIC/SONG.WAV"));
    EXPECT_FALSE(store->SaveRecord(SizedRecord("", 300), "", "", ""));
}

TEST_F(RecordStoreTest, SortedKeysCompareTextsIgnoringCase) {
    auto store = Open();
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/1", 300), "beta", "", "128.000000"));
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/2", 300), "Alpha", "", "99.000000"));
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/3", 300), "alpha", "", "140.000000"));
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/4", 300), "Gamma", "", "128.000000"));
    EXPECT_EQ(store->SortedKeys(0), (std::vector<std::string>{"/2", "/3", "/1", "/4"}));
    // Tempo texts sort as text: 99 comes after 128 and 140.
    EXPECT_EQ(store->SortedKeys(2), (std::vector<std::string>{"/1", "/4", "/3", "/2"}));
}

// Trimming prunes only once the cache has doubled since the last prune, so
// the records a listing holds are not walked on every lookup; what nobody
// holds is still dropped then.
TEST_F(RecordStoreTest, TrimmingPrunesOnceTheCacheHasDoubled) {
    auto store = Open();
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(Put(*store, "/" + std::to_string(i), 300));
    std::vector<RefPtr<ISerializable>> held;
    for (int i = 0; i < 10; ++i) held.push_back(store->LoadRecord(("/" + std::to_string(i)).c_str(), MakeRef<SizedRecord>()));
    for (int i = 10; i < 25; ++i) store->LoadRecord(("/" + std::to_string(i)).c_str(), MakeRef<SizedRecord>());
    store->TrimCache();
    EXPECT_EQ(store->GetCacheCount(), 10) << "25 cached: past twice nothing and 16, the unheld went";
    for (int i = 25; i < 40; ++i) store->LoadRecord(("/" + std::to_string(i)).c_str(), MakeRef<SizedRecord>());
    store->TrimCache();
    EXPECT_EQ(store->GetCacheCount(), 25) << "below twice 10 and 16: kept";
    EXPECT_EQ(store->LoadRecord("/3", MakeRef<SizedRecord>()).get(), held[3].get());
}

TEST_F(RecordStoreTest, CacheHandsOutOneObjectUntilPruned) {
    auto store = Open();
    ASSERT_TRUE(Put(*store, "/a.wav", 300));
    auto first = store->LoadRecord("/a.wav", MakeRef<SizedRecord>());
    auto second = store->LoadRecord("/a.wav", MakeRef<SizedRecord>());
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(store->GetCacheCount(), 1);
    store->PruneCache();
    EXPECT_EQ(store->GetCacheCount(), 1);
    first.reset();
    second.reset();
    store->PruneCache();
    EXPECT_EQ(store->GetCacheCount(), 0);
}

TEST_F(RecordStoreTest, StoredAndRemovedRecordsAreNotServedStaleFromTheCache) {
    auto store = Open();
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/a.wav", 300, 'o'), "", "", ""));
    auto held = store->LoadRecord("/a.wav", MakeRef<SizedRecord>());
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/a.wav", 300, 'n'), "", "", ""));
    auto fresh = store->LoadRecord("/a.wav", MakeRef<SizedRecord>());
    ASSERT_TRUE(fresh);
    EXPECT_EQ(static_cast<SizedRecord*>(fresh.get())->GetFill(), 'n');
    ASSERT_TRUE(store->RemoveRecord("/a.wav"));
    EXPECT_FALSE(store->LoadRecord("/a.wav", MakeRef<SizedRecord>()));
}

TEST_F(RecordStoreTest, DamagedKeyFilesNeverReachOutsideTheDataFile) {
    {
        auto store = Open();
        ASSERT_TRUE(Put(*store, "/good.wav", 300));
    }
    std::vector<uint8_t> keys = m_dir.Read("SONGS.KYS");
    auto entry = [](const std::string& key, int32_t offset, int32_t size) {
        return EntryBytes(key, offset, "", "", "", size);
    };
    for (auto bytes : {entry("/neg.wav", -5, 300), entry("/past.wav", 200, 300), entry("/huge.wav", 0, 0x7FFFFFFF),
                       entry("/negsize.wav", 0, -1), entry("/zero.wav", 0, 0), entry("/other.wav", 0, 300)})
        keys.insert(keys.end(), bytes.begin(), bytes.end());
    // A stated count far from the truth, an unterminated key and a partial
    // trailing entry.
    keys[0] = 0x7F;
    std::vector<uint8_t> unterminated(376, 'k');
    keys.insert(keys.end(), unterminated.begin(), unterminated.end());
    keys.insert(keys.end(), 100, 0xAB);
    m_dir.Write("SONGS.KYS", keys);

    auto store = Open();
    EXPECT_EQ(store->GetEntryCount(), 8);
    EXPECT_EQ(store->GetLiveCount(), 8);
    EXPECT_TRUE(store->LoadRecord("/good.wav", MakeRef<SizedRecord>()));
    for (const char* key : {"/neg.wav", "/past.wav", "/huge.wav", "/negsize.wav", "/zero.wav", "/other.wav"})
        EXPECT_FALSE(store->LoadRecord(key, MakeRef<SizedRecord>())) << key;
    EXPECT_EQ(std::string(store->GetEntry(7).Key()), std::string(255, 'k'));
    // A damaged free entry pointing outside the file is never reused, and
    // the bytes it claims past the end stay its own: the new record follows.
    ASSERT_TRUE(store->RemoveRecord("/past.wav"));
    ASSERT_TRUE(Put(*store, "/new.wav", 280));
    EXPECT_EQ(store->GetEntry(store->Find("/new.wav")).offset, 500);
}

TEST_F(RecordStoreTest, CategoriesKeepIndexesFresh) {
    auto store = Open();
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/b.wav", 300), "Bravo", "", ""));
    ASSERT_TRUE(store->SaveRecord(SizedRecord("/a.wav", 300), "alpha", "", ""));
    ASSERT_TRUE(store->CreateCategory("Warm Up"));
    ASSERT_TRUE(store->AddToCategory("Warm Up", "/b.wav"));
    ASSERT_TRUE(store->AddToCategory("Warm Up", "/a.wav"));
    ASSERT_TRUE(store->AddToCategory("Warm Up", "/a.wav"));
    ASSERT_TRUE(store->AddToCategory("Warm Up", "/gone.wav"));
    EXPECT_EQ(m_dir.Read("Warm Up.cat"), RecordBytes()
                                             .Int(0).Raw("/b.wav", 256)
                                             .Int(1).Raw("/a.wav", 256)
                                             .Int(-1).Raw("/gone.wav", 256)
                                             .Get());
    EXPECT_EQ(store->ListCategory("Warm Up", 0), (std::vector<std::string>{"/a.wav", "/b.wav"}));

    // /b.wav moves to a new entry: listing finds it again and stores the index.
    ASSERT_TRUE(Put(*store, "/b.wav", 400, "Bravo"));
    EXPECT_EQ(store->ListCategory("Warm Up", 0), (std::vector<std::string>{"/a.wav", "/b.wav"}));
    std::vector<uint8_t> bytes = m_dir.Read("Warm Up.cat");
    ASSERT_EQ(bytes.size(), 3u * 260);
    EXPECT_EQ(LoadLE32(bytes.data()), 2u);

    ASSERT_TRUE(store->RemoveFromCategory("Warm Up", "/gone.wav"));
    EXPECT_EQ(m_dir.Read("Warm Up.cat").size(), 2u * 260);
    EXPECT_FALSE(store->RemoveFromCategory("Warm Up", "/gone.wav"));

    // A partial trailing entry is ignored.
    bytes = m_dir.Read("Warm Up.cat");
    bytes.resize(bytes.size() + 100, 'z');
    m_dir.Write("Warm Up.cat", bytes);
    EXPECT_EQ(store->ReadCategory("Warm Up").size(), 2u);

    ASSERT_TRUE(store->CreateCategory("Peak"));
    EXPECT_EQ(store->CategoryNames(), (std::vector<std::string>{"Peak", "Warm Up"}));
    EXPECT_TRUE(store->DeleteCategory("Peak"));
    EXPECT_FALSE(store->DeleteCategory("Peak"));
    for (const char* bad : {"", "../escape", "a/b", ".hidden"}) EXPECT_FALSE(store->CreateCategory(bad)) << bad;
    EXPECT_FALSE(store->AddToCategory("Missing", "/a.wav"));
}

}  // namespace
}  // namespace vantor
