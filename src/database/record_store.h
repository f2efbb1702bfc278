#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
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

// How a store's files are opened: for changing them, or for reading only
// (files that are missing then make an empty store, and nothing is written).
enum class StoreAccess { ReadWrite, ReadOnly };

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
// Damaged key files are found when the keys are loaded: an entry whose area
// lies partly or wholly outside the data file, is negative or over the cap,
// or overlaps another entry's area. Damaged entries are neither listed nor
// read, are marked as damaged with the next change, and their areas stay
// claimed: no record is ever placed over bytes that any entry claims.
//
// The store does no locking of its own beyond the cache's: the database's
// gate lets readers in together and a writer in alone.
class CRecordStore {
public:
    // Records are never larger than this; a key entry claiming more is damaged.
    static constexpr int32_t kMaxRecordBytes = 64 << 20;

    // Opens basePath + ".DB" and basePath + ".KYS" and loads the keys. For
    // writing, missing files are created and a change a crash interrupted is
    // rolled back first; for reading, such a change leaves the store closed.
    // With a prototype (a record of the stored class), entries whose areas
    // overlap are told apart by which of them reads back as its key's record.
    CRecordStore(std::string basePath, bool caching, IStoreFileSystem& fs,
                 StoreAccess access = StoreAccess::ReadWrite, const ISerializable* prototype = nullptr);
    ~CRecordStore();
    CRecordStore(const CRecordStore&) = delete;
    CRecordStore& operator=(const CRecordStore&) = delete;

    // False when the files could not be opened: the store then holds nothing
    // and refuses every change.
    bool IsOpen() const { return m_open; }
    bool IsReadOnly() const { return m_access == StoreAccess::ReadOnly; }
    // True once a change could neither be made nor undone; its journal waits
    // for the next opening, and until then the store refuses changes.
    bool IsBroken() const { return m_broken; }

    bool LoadKeys();
    // Index of the entry holding key (compared byte for byte), or -1.
    // Damaged entries are not found.
    int32_t Find(std::string_view key) const;

    // Stores the record under its key with the three sort texts (each cut to
    // 19 characters). A record that no longer fits its area moves to the
    // first free area that is larger, or to the end of the data file. False
    // (and nothing changed) for an empty key or a failed write. Damaged
    // entries of the same key are freed, their areas staying claimed.
    bool SaveRecord(const ISerializable& record, std::string_view sort0, std::string_view sort1,
                    std::string_view sort2);
    // The record stored under key: a cached one when there is one, otherwise
    // `record` filled from the data file and cached. Null when the key is not
    // stored or its record cannot be read.
    RefPtr<ISerializable> LoadRecord(const char* key, RefPtr<ISerializable> record);
    // `record` filled from the entry's area, past the cache; null when the
    // area does not read back whole under the entry's key.
    RefPtr<ISerializable> ReadRecord(const KeyEntry& entry, RefPtr<ISerializable> record) const;
    // The same into a record and a buffer that a reader of many records
    // keeps from one record to the next; false where ReadRecord gives null.
    bool ReadRecordInto(const KeyEntry& entry, ISerializable& record, std::vector<uint8_t>& bytes) const;
    // Frees the key's entry, and damaged ones of the same key. False when the
    // key is not stored or the write failed (nothing changed).
    bool RemoveRecord(std::string_view key);
    // Drops every cached record that nobody else holds.
    void PruneCache();
    // The same, once the cache has doubled since it was last pruned: a
    // reader holding many records (a listing) does not walk the whole
    // cache on every lookup.
    void TrimCache();
    int32_t GetCacheCount() const;

    // The keys of all live entries, sorted by sort text k without regard to
    // case; entries with equal texts keep their order.
    std::vector<std::string> SortedKeys(int k) const;

    // The record's bytes for copying elsewhere, re-serialized. Nothing when
    // the entry is damaged or its area does not read back as a record of the
    // prototype's class under the entry's key.
    std::optional<std::vector<uint8_t>> ReadRecordBytes(int32_t index, const ISerializable& prototype) const;

    // Entries in use, damaged ones included, as the key file counts them.
    int32_t GetLiveCount() const { return m_liveCount; }
    // Entries in use that are damaged, and their keys.
    int32_t GetDamagedCount() const { return static_cast<int32_t>(m_damagedLive.size()); }
    std::vector<std::string> DamagedKeys() const;
    int32_t GetEntryCount() const { return static_cast<int32_t>(m_entries.size()); }
    const KeyEntry& GetEntry(int32_t index) const { return m_entries[static_cast<size_t>(index)]; }
    const std::string& GetBasePath() const { return m_basePath; }
    // Where the category files live: the base path's directory, with its '/'.
    std::string GetDirectory() const;
    int64_t GetDataLength() const { return m_dataLength; }

    // Categories: files named after the category with ".cat", beside the
    // store. Names that are empty, contain '/' or start with '.' are refused,
    // and so is every change of a store opened for reading.
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
    // file is rewritten with the new ones (when the store may be written).
    std::vector<std::string> ListCategory(const std::string& name, int k);

private:
    struct KeyHash {
        using is_transparent = void;
        size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };
    using KeyIndex = std::unordered_map<std::string, int32_t, KeyHash, std::equal_to<>>;

    // Takes an entry for key with the given reserved size: the first free
    // entry larger than size, or a new one after every claimed area. -1
    // when the data file would pass the 2 GiB that offsets can address.
    int32_t AllocateSlot(std::string_view key, int32_t size);
    // The free entry AllocateSlot would take for size, or -1.
    int32_t FirstFreeSlot(int32_t size) const;
    void FreeSlot(int32_t index);
    // The damaged entries in use under key.
    std::vector<int32_t> DamagedOfKey(std::string_view key) const;
    // The bytes of the entry's area, or nothing when it lies outside the file.
    std::optional<std::vector<uint8_t>> ReadArea(const KeyEntry& entry) const;
    bool ReadArea(const KeyEntry& entry, std::vector<uint8_t>& bytes) const;
    // Finds the damaged entries and the areas that more than one entry claims.
    void ClassifyEntries();
    void ResolveOverlaps(const std::vector<std::pair<int64_t, int32_t>>& cluster);
    void SetDamaged(int32_t index);
    // Adds the key file's count, the given entries and every entry not yet
    // on disk to the transaction.
    void AddKeyWrites(class StoreTransaction& transaction, const std::vector<int32_t>& changed) const;
    bool Commit(class StoreTransaction& transaction);
    void DropCached(std::string_view key, const ISerializable* keep);
    std::vector<std::string> SortKeys(int k) const;
    // Called whenever the entries change: the sorted orders are stale.
    void ForgetSortedKeys();
    // Rebuilds the key index and the free list from the entries.
    void RebuildIndex();
    // Puts the entries back as they were before a change that failed.
    void Restore(size_t entryCount, int32_t liveCount, const std::vector<std::pair<int32_t, KeyEntry>>& before);
    std::string CategoryPath(const std::string& name) const;

    std::string m_basePath;
    std::string m_dataPath;
    std::string m_keyPath;
    std::string m_journalPath;
    bool m_caching;
    IStoreFileSystem& m_fs;
    StoreAccess m_access;
    RefPtr<ISerializable> m_prototype;
    bool m_open = false;
    std::unique_ptr<IStoreFile> m_data;
    std::unique_ptr<IStoreFile> m_keys;
    std::vector<KeyEntry> m_entries;
    int32_t m_liveCount = 0;
    // Entries the key file on disk holds: after the last live song goes, the
    // file shrinks to its count while the free entries stay in memory.
    int32_t m_entriesOnDisk = 0;
    int64_t m_dataLength = 0;
    // Where the next new area starts: past the data file and past every area
    // that starts inside it (a record cut short still claims its last bytes).
    int64_t m_appendAt = 0;
    KeyIndex m_index;
    // Indexes of the free entries that may be reused, in entry order, so
    // that finding a slot does not walk every live entry.
    std::set<int32_t> m_free;
    // Live entries that are damaged; damaged entries not yet marked on the
    // disk; entries whose areas overlap another entry's (never reused).
    std::set<int32_t> m_damagedLive;
    std::vector<int32_t> m_unmarked;
    std::set<int32_t> m_shared;
    bool m_duplicateKeys = false;  // only damaged key files have them
    bool m_broken = false;
    // Loaded records by key, shared with whoever holds them.
    mutable std::mutex m_cacheLock;
    std::unordered_map<std::string, RefPtr<ISerializable>> m_cache;
    size_t m_cacheAfterPrune = 0;
    // The live keys in each sort order, once asked for.
    mutable std::mutex m_sortedLock;
    mutable std::array<std::optional<std::vector<std::string>>, KeyEntry::kSortTexts> m_sorted;
};

}  // namespace vantor
