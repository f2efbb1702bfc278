#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "database/category_file.h"
#include "database/key_entry.h"
#include "platform/store_file_system.h"
#include "model/array.h"
#include "model/ref_ptr.h"

namespace vantor {

// A keyed store of records: a data file of serialized records with free
// areas between them, and a key file that says where each record lies. The
// key file holds a live count and 376-byte entries; an entry whose key is
// empty is free, and keeps its offset and reserved size for reuse.
//
// Every change is made through an undo journal (StoreTransaction), so a
// failed write or a crash leaves the files as they were before the change.
// Find answers from a hash index over the live keys instead of the linear
// search; the answers are the same, because live keys are unique.
//
// The store does no locking of its own beyond the cache's: the database's
// gate lets readers in together and a writer in alone.
class CRecordStore {
public:
    // Records are never larger than this; a key entry claiming more is damaged.
    static constexpr int32_t kMaxRecordBytes = 64 << 20;

    // Opens (creating when missing) basePath + dataSuffix and basePath +
    // keySuffix, rolls back a change a crash interrupted, and loads the keys.
    CRecordStore(std::string basePath, bool caching, IStoreFileSystem& fs, std::string dataSuffix = ".DB",
                 std::string keySuffix = ".KYS");
    ~CRecordStore();
    CRecordStore(const CRecordStore&) = delete;
    CRecordStore& operator=(const CRecordStore&) = delete;

    // False when the files could not be opened: the store then holds nothing
    // and refuses every change.
    bool IsOpen() const { return m_data && m_keys; }
    // True once a change could neither be made nor undone; its journal waits
    // for the next opening, and until then the store refuses changes.
    bool IsBroken() const { return m_broken; }

    bool LoadKeys();
    // Index of the entry holding key (compared byte for byte), or -1.
    int32_t Find(std::string_view key) const;

    // Stores the record under its key with the three sort texts (each cut to
    // 19 characters). A record that no longer fits its area moves to the
    // first free area that is larger, or to the end of the data file. False
    // (and nothing changed) for an empty key or a failed write.
    bool SaveRecord(const ISerializable& record, std::string_view sort0, std::string_view sort1,
                    std::string_view sort2);
    // The record stored under key: a cached one when there is one, otherwise
    // `record` filled from the data file and cached. Null when the key is not
    // stored or its record cannot be read.
    RefPtr<ISerializable> LoadRecord(const char* key, RefPtr<ISerializable> record);
    // Frees the key's entry. False when the key is not stored or the write
    // failed (nothing changed).
    bool RemoveRecord(std::string_view key);
    // Drops every cached record that nobody else holds.
    void PruneCache();
    int32_t GetCacheCount() const { return m_cache->GetCount(); }

    // The keys of all live entries, sorted by sort text k without regard to
    // case; entries with equal texts keep their order.
    std::vector<std::string> SortedKeys(int k) const;

    // The record's bytes for copying elsewhere: re-serialized when they read
    // as a record of the prototype's class, otherwise the whole stored area.
    // Nothing when the entry's area lies outside the data file.
    std::optional<std::vector<uint8_t>> ReadRecordBytes(int32_t index, const ISerializable& prototype) const;

    int32_t GetLiveCount() const { return m_liveCount; }
    int32_t GetEntryCount() const { return static_cast<int32_t>(m_entries.size()); }
    const KeyEntry& GetEntry(int32_t index) const { return m_entries[static_cast<size_t>(index)]; }
    const std::string& GetBasePath() const { return m_basePath; }
    // Where the category files live: the base path's directory, with its '/'.
    std::string GetDirectory() const;
    int64_t GetDataLength() const { return m_dataLength; }

    // Categories: files named after the category with ".cat", beside the
    // store. Names that are empty, contain '/' or start with '.' are refused.
    static bool IsValidCategoryName(std::string_view name);
    bool CreateCategory(const std::string& name);
    bool DeleteCategory(const std::string& name);
    bool CategoryExists(const std::string& name);
    std::vector<std::string> CategoryNames();
    std::vector<CategoryEntry> ReadCategory(const std::string& name);
    bool WriteCategory(const std::string& name, const std::vector<CategoryEntry>& entries, int32_t skip = -1);
    // Adds the key unless it is there already (byte for byte).
    bool AddToCategory(const std::string& name, const std::string& key);
    bool RemoveFromCategory(const std::string& name, const std::string& key);
    // The keys of the category that are stored, sorted by sort text k. Stored
    // indexes that no longer point at their key are looked up again and the
    // file is rewritten with the new ones.
    std::vector<std::string> ListCategory(const std::string& name, int k);

private:
    struct KeyHash {
        using is_transparent = void;
        size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };
    using KeyIndex = std::unordered_map<std::string, int32_t, KeyHash, std::equal_to<>>;

    // Takes an entry for key with the given reserved size: the first free
    // entry larger than size, or a new one at the end of the data file. -1
    // when the data file would pass the 2 GiB that offsets can address.
    int32_t AllocateSlot(std::string_view key, int32_t size);
    // The free entry AllocateSlot would take for size, or -1.
    int32_t FirstFreeSlot(int32_t size) const;
    void FreeSlot(int32_t index);
    // The bytes of the entry's area, or nothing when it lies outside the file.
    std::optional<std::vector<uint8_t>> ReadArea(const KeyEntry& entry) const;
    // Adds the key file's count, the given entries and every entry not yet
    // on disk to the transaction.
    void AddKeyWrites(class StoreTransaction& transaction, const std::vector<int32_t>& changed) const;
    bool Commit(class StoreTransaction& transaction);
    void DropCached(std::string_view key, const ISerializable* keep);
    // Rebuilds the key index and the free list from the entries.
    void RebuildIndex();
    std::string CategoryPath(const std::string& name) const;

    std::string m_basePath;
    std::string m_dataPath;
    std::string m_keyPath;
    std::string m_journalPath;
    bool m_caching;
    IStoreFileSystem& m_fs;
    std::unique_ptr<IStoreFile> m_data;
    std::unique_ptr<IStoreFile> m_keys;
    std::vector<KeyEntry> m_entries;
    int32_t m_liveCount = 0;
    // Entries the key file on disk holds: after the last live song goes, the
    // file shrinks to its count while the free entries stay in memory.
    int32_t m_entriesOnDisk = 0;
    int64_t m_dataLength = 0;
    KeyIndex m_index;
    // Indexes of the free entries in entry order, so that finding a slot
    // does not walk every live entry.
    std::set<int32_t> m_free;
    bool m_duplicateKeys = false;  // only damaged key files have them
    bool m_broken = false;
    RefPtr<CArray<ISerializable>> m_cache;
};

}  // namespace vantor
