#include "database/record_store.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "database/store_transaction.h"
#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

constexpr int kDataFile = 0;
constexpr int kKeyFile = 1;

// Sort texts compare without regard to case, byte by byte in the C locale,
// so that the order does not depend on the user's environment.
bool LessIgnoringCase(const char* a, const char* b) {
    auto lower = [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
    };
    for (;; ++a, ++b) {
        const unsigned ca = lower(*a), cb = lower(*b);
        if (ca != cb) return ca < cb;
        if (ca == 0) return false;
    }
}

}  // namespace

CRecordStore::CRecordStore(std::string basePath, bool caching, IStoreFileSystem& fs, StoreAccess access,
                           const ISerializable* prototype)
    : m_basePath(std::move(basePath)),
      m_dataPath(m_basePath + ".DB"),
      m_keyPath(m_basePath + ".KYS"),
      m_journalPath(m_basePath + ".JNL"),
      m_caching(caching),
      m_fs(fs),
      m_access(access),
      m_prototype(prototype ? prototype->Clone() : nullptr) {
    if (m_access == StoreAccess::ReadWrite) {
        m_data = m_fs.Open(m_dataPath);
        m_keys = m_fs.Open(m_keyPath);
        if (!m_data || !m_keys) {
            m_data.reset();
            m_keys.reset();
            return;
        }
        if (!StoreTransaction::Recover(m_fs, m_journalPath, {m_data.get(), m_keys.get()})) m_broken = true;
    } else {
        // Half a change cannot be undone without writing; rather than show
        // it, the store stays closed until a writer has rolled it back.
        if (StoreTransaction::IsPending(m_fs, m_journalPath)) return;
        m_data = m_fs.OpenForReading(m_dataPath);
        m_keys = m_fs.OpenForReading(m_keyPath);
        if ((!m_data && m_fs.Exists(m_dataPath)) || (!m_keys && m_fs.Exists(m_keyPath))) {
            m_data.reset();
            m_keys.reset();
            return;
        }
    }
    m_open = true;
    LoadKeys();
}

CRecordStore::~CRecordStore() = default;

bool CRecordStore::LoadKeys() {
    ForgetSortedKeys();
    m_entries.clear();
    m_index.clear();
    m_free.clear();
    m_damagedLive.clear();
    m_unmarked.clear();
    m_shared.clear();
    m_liveCount = 0;
    m_entriesOnDisk = 0;
    m_dataLength = 0;
    m_appendAt = 0;
    if (!IsOpen()) return false;
    if (m_data) m_dataLength = std::max<int64_t>(m_data->Size(), 0);
    m_appendAt = m_dataLength;
    if (m_keys) {
        int64_t size = m_keys->Size();
        if (size < 0 || static_cast<uint64_t>(size) > kMaxWholeFileBytes) return false;
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        bytes.resize(m_keys->ReadAt(0, bytes.data(), bytes.size()));
        KeyFileContents contents = ParseKeyFile(bytes.data(), bytes.size());
        m_entries = std::move(contents.entries);
        m_liveCount = contents.liveCount;
    }
    m_entriesOnDisk = static_cast<int32_t>(m_entries.size());
    ClassifyEntries();
    RebuildIndex();
    return true;
}

void CRecordStore::SetDamaged(int32_t index) {
    ForgetSortedKeys();
    KeyEntry& entry = m_entries[static_cast<size_t>(index)];
    if (entry.IsFree()) {
        entry.damaged = true;  // never reused; free entries need no mark on the disk
        return;
    }
    if (!entry.damaged) m_unmarked.push_back(index);
    entry.damaged = true;
    m_damagedLive.insert(index);
}

void CRecordStore::ClassifyEntries() {
    // Areas that lie whole inside the data file, by where they start.
    std::vector<std::pair<int64_t, int32_t>> areas;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const KeyEntry& entry = m_entries[i];
        const auto index = static_cast<int32_t>(i);
        const bool sane = entry.offset >= 0 && entry.size >= 0 && entry.size <= kMaxRecordBytes;
        const int64_t end = static_cast<int64_t>(entry.offset) + entry.size;
        if (sane && entry.offset < m_dataLength) m_appendAt = std::max(m_appendAt, end);
        const bool whole = sane && end <= m_dataLength;
        if (whole && entry.size > 0) areas.emplace_back(entry.offset, index);
        if (entry.damaged && !entry.IsFree()) {
            m_damagedLive.insert(index);
        } else if (!whole || (entry.size == 0 && !entry.IsFree())) {
            SetDamaged(index);
        }
    }
    std::sort(areas.begin(), areas.end());
    // Runs of areas that overlap one another: every area of a run of more
    // than one overlaps at least one other.
    for (size_t first = 0; first < areas.size();) {
        size_t last = first;
        int64_t end = areas[first].first + GetEntry(areas[first].second).size;
        while (last + 1 < areas.size() && areas[last + 1].first < end) {
            ++last;
            end = std::max(end, areas[last].first + GetEntry(areas[last].second).size);
        }
        if (last > first)
            ResolveOverlaps(std::vector<std::pair<int64_t, int32_t>>(areas.begin() + static_cast<long>(first),
                                                                     areas.begin() + static_cast<long>(last) + 1));
        first = last + 1;
    }
}

void CRecordStore::ResolveOverlaps(const std::vector<std::pair<int64_t, int32_t>>& cluster) {
    // The live entries compete for the bytes: one that does not read back as
    // its key's record loses at once (when the store knows its records'
    // class); of the others the earlier area wins, then the earlier entry.
    // Losers are damaged, and every area of the run stays claimed.
    std::map<int64_t, int64_t> taken;  // begin -> end of the winners' areas
    for (const auto& [begin, index] : cluster) {
        m_shared.insert(index);
        const KeyEntry& entry = GetEntry(index);
        if (entry.IsFree() || entry.damaged) continue;
        if (m_prototype && !ReadRecord(entry, RefPtr<ISerializable>(m_prototype->Clone()))) {
            SetDamaged(index);
            continue;
        }
        const int64_t end = begin + entry.size;
        auto next = taken.lower_bound(begin);
        const bool overlaps =
            (next != taken.end() && next->first < end) || (next != taken.begin() && std::prev(next)->second > begin);
        if (overlaps) {
            SetDamaged(index);
        } else {
            taken.emplace(begin, end);
        }
    }
}

void CRecordStore::RebuildIndex() {
    ForgetSortedKeys();
    m_index.clear();
    m_index.reserve(m_entries.size());
    m_free.clear();
    m_duplicateKeys = false;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const KeyEntry& entry = m_entries[i];
        if (entry.damaged) continue;
        if (entry.IsFree()) {
            if (!m_shared.count(static_cast<int32_t>(i))) m_free.insert(static_cast<int32_t>(i));
            continue;
        }
        // The first entry wins, as in a search from the front.
        if (!m_index.emplace(entry.Key(), static_cast<int32_t>(i)).second) m_duplicateKeys = true;
    }
}

int32_t CRecordStore::Find(std::string_view key) const {
    if (key.empty()) return -1;
    auto it = m_index.find(key);
    return it == m_index.end() ? -1 : it->second;
}

std::vector<int32_t> CRecordStore::DamagedOfKey(std::string_view key) const {
    std::vector<int32_t> found;
    for (int32_t index : m_damagedLive)
        if (key == GetEntry(index).Key()) found.push_back(index);
    return found;
}

std::vector<std::string> CRecordStore::DamagedKeys() const {
    std::vector<std::string> keys;
    for (int32_t index : m_damagedLive) keys.emplace_back(GetEntry(index).Key());
    return keys;
}

int32_t CRecordStore::FirstFreeSlot(int32_t size) const {
    // Only whole areas inside the data file that no other entry claims are
    // in the free list, so a damaged entry never sends a record anywhere it
    // would be lost or would overwrite another.
    for (int32_t i : m_free)
        if (m_entries[static_cast<size_t>(i)].size > size) return i;
    return -1;
}

int32_t CRecordStore::AllocateSlot(std::string_view key, int32_t size) {
    ForgetSortedKeys();
    const int32_t reuse = FirstFreeSlot(size);
    if (reuse >= 0) {
        KeyEntry& entry = m_entries[static_cast<size_t>(reuse)];
        entry.SetKey(key);
        entry.size = size;
        ++m_liveCount;
        m_free.erase(reuse);
        return reuse;
    }
    if (m_appendAt + size > INT32_MAX) return -1;
    KeyEntry entry;
    entry.SetKey(key);
    entry.offset = static_cast<int32_t>(m_appendAt);
    entry.size = size;
    m_entries.push_back(entry);
    ++m_liveCount;
    return static_cast<int32_t>(m_entries.size()) - 1;
}

void CRecordStore::FreeSlot(int32_t index) {
    ForgetSortedKeys();
    m_entries[static_cast<size_t>(index)].key[0] = '\0';
    --m_liveCount;
    m_damagedLive.erase(index);
    // A damaged area, or one another entry claims too, is never reused.
    if (!m_entries[static_cast<size_t>(index)].damaged && !m_shared.count(index)) m_free.insert(index);
}

void CRecordStore::Restore(size_t entryCount, int32_t liveCount,
                           const std::vector<std::pair<int32_t, KeyEntry>>& before) {
    ForgetSortedKeys();
    m_entries.resize(entryCount);
    // In reverse, so that an entry changed twice ends as it first was.
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        const auto& [i, entry] = *it;
        m_entries[static_cast<size_t>(i)] = entry;
        if (entry.IsFree() && !entry.damaged && !m_shared.count(i)) m_free.insert(i); else m_free.erase(i);
        if (!entry.IsFree() && entry.damaged) m_damagedLive.insert(i); else m_damagedLive.erase(i);
    }
    m_liveCount = liveCount;
}

void CRecordStore::AddKeyWrites(StoreTransaction& transaction, const std::vector<int32_t>& changed) const {
    std::vector<uint8_t> count(4);
    StoreLE32(count.data(), static_cast<uint32_t>(m_liveCount));
    transaction.Write(kKeyFile, 0, std::move(count));
    if (m_liveCount == 0) {
        // With no live entry the key file is its count alone.
        transaction.SetLength(kKeyFile, 4);
        return;
    }
    auto entryBytes = [this](int32_t first, int32_t last) {
        std::vector<uint8_t> bytes(static_cast<size_t>(last - first) * KeyEntry::kSize);
        for (int32_t i = first; i < last; ++i)
            m_entries[static_cast<size_t>(i)].Encode(bytes.data() + static_cast<size_t>(i - first) * KeyEntry::kSize);
        return bytes;
    };
    // Damaged entries get their marks with whatever change comes first.
    std::vector<int32_t> indexes = changed;
    indexes.insert(indexes.end(), m_unmarked.begin(), m_unmarked.end());
    for (int32_t index : indexes)
        if (index >= 0 && index < m_entriesOnDisk)
            transaction.Write(kKeyFile, 4 + static_cast<int64_t>(index) * KeyEntry::kSize, entryBytes(index, index + 1));
    const int32_t total = static_cast<int32_t>(m_entries.size());
    if (m_entriesOnDisk < total)
        transaction.Write(kKeyFile, 4 + static_cast<int64_t>(m_entriesOnDisk) * KeyEntry::kSize,
                          entryBytes(m_entriesOnDisk, total));
    transaction.SetLength(kKeyFile, 4 + static_cast<int64_t>(total) * KeyEntry::kSize);
}

bool CRecordStore::Commit(StoreTransaction& transaction) {
    switch (transaction.Commit()) {
        case StoreTransaction::Result::Committed:
            return true;
        case StoreTransaction::Result::RolledBack:
            return false;
        case StoreTransaction::Result::Pending:
            m_broken = true;
            return false;
    }
    return false;
}

bool CRecordStore::SaveRecord(const ISerializable& record, std::string_view sort0, std::string_view sort1,
                              std::string_view sort2) {
    ForgetSortedKeys();
    if (!IsOpen() || IsReadOnly() || m_broken) return false;
    const char* keyText = record.GetKey();
    if (!keyText || !*keyText) return false;
    const std::string key(keyText, strnlen(keyText, KeyEntry::kKeyBytes - 1));
    CMemoryOStream out(1024, 1024);
    record.Serialize(out);
    const int32_t size = out.GetSize();
    if (size > kMaxRecordBytes) return false;

    // Changes are made in memory first and taken back if the files refuse them.
    const size_t entriesBefore = m_entries.size();
    const int32_t liveBefore = m_liveCount;
    std::vector<std::pair<int32_t, KeyEntry>> before;
    std::vector<int32_t> changed;
    auto remember = [&](int32_t index) { before.emplace_back(index, m_entries[static_cast<size_t>(index)]); };

    for (int32_t damaged : DamagedOfKey(key)) {
        remember(damaged);
        changed.push_back(damaged);
        FreeSlot(damaged);
    }
    int32_t index = Find(key);
    if (index >= 0 && m_entries[static_cast<size_t>(index)].size < size) {
        remember(index);
        changed.push_back(index);
        FreeSlot(index);
        index = -1;
    }
    if (index < 0) {
        const int32_t reuse = FirstFreeSlot(size);
        if (reuse >= 0) remember(reuse);
        index = AllocateSlot(key, size);
    } else {
        remember(index);
    }
    if (index < 0) {
        Restore(entriesBefore, liveBefore, before);
        return false;
    }
    KeyEntry& entry = m_entries[static_cast<size_t>(index)];
    entry.SetSort(0, sort0);
    entry.SetSort(1, sort1);
    entry.SetSort(2, sort2);
    changed.push_back(index);

    StoreTransaction transaction(m_fs, m_journalPath, {m_data.get(), m_keys.get()});
    transaction.Write(kDataFile, entry.offset, std::vector<uint8_t>(out.GetData(), out.GetData() + size));
    AddKeyWrites(transaction, changed);
    const int64_t end = static_cast<int64_t>(entry.offset) + size;
    if (!Commit(transaction)) {
        Restore(entriesBefore, liveBefore, before);
        return false;
    }
    m_dataLength = std::max(m_dataLength, end);
    m_appendAt = std::max(m_appendAt, end);
    m_entriesOnDisk = static_cast<int32_t>(m_entries.size());
    m_unmarked.clear();
    m_index.insert_or_assign(key, index);
    DropCached(key, &record);
    return true;
}

bool CRecordStore::RemoveRecord(std::string_view key) {
    ForgetSortedKeys();
    if (!IsOpen() || IsReadOnly() || m_broken) return false;
    std::vector<int32_t> changed = DamagedOfKey(key);
    const int32_t index = Find(key);
    if (index >= 0) changed.push_back(index);
    if (changed.empty()) return false;
    const int32_t liveBefore = m_liveCount;
    std::vector<std::pair<int32_t, KeyEntry>> before;
    for (int32_t i : changed) {
        before.emplace_back(i, m_entries[static_cast<size_t>(i)]);
        FreeSlot(i);
    }
    StoreTransaction transaction(m_fs, m_journalPath, {m_data.get(), m_keys.get()});
    AddKeyWrites(transaction, changed);
    if (!Commit(transaction)) {
        Restore(m_entries.size(), liveBefore, before);
        return false;
    }
    if (m_liveCount == 0) m_entriesOnDisk = 0;
    m_unmarked.clear();
    const std::string removed(key);
    if (m_duplicateKeys) {
        RebuildIndex();
    } else {
        m_index.erase(removed);
    }
    DropCached(removed, nullptr);
    return true;
}

void CRecordStore::DropCached(std::string_view key, const ISerializable* keep) {
    std::lock_guard lock(m_cacheLock);
    const auto cached = m_cache.find(std::string(key));
    if (cached != m_cache.end() && cached->second.get() != keep) m_cache.erase(cached);
}

std::optional<std::vector<uint8_t>> CRecordStore::ReadArea(const KeyEntry& entry) const {
    std::vector<uint8_t> bytes;
    if (!ReadArea(entry, bytes)) return std::nullopt;
    return bytes;
}

bool CRecordStore::ReadArea(const KeyEntry& entry, std::vector<uint8_t>& bytes) const {
    if (!m_data || entry.offset < 0 || entry.size < 0 || entry.size > kMaxRecordBytes ||
        static_cast<int64_t>(entry.offset) + entry.size > m_dataLength)
        return false;
    bytes.resize(static_cast<size_t>(entry.size));
    return m_data->ReadAt(entry.offset, bytes.data(), bytes.size()) == bytes.size();
}

RefPtr<ISerializable> CRecordStore::ReadRecord(const KeyEntry& entry, RefPtr<ISerializable> record) const {
    std::vector<uint8_t> bytes;
    return ReadRecordInto(entry, *record, bytes) ? record : nullptr;
}

bool CRecordStore::ReadRecordInto(const KeyEntry& entry, ISerializable& record, std::vector<uint8_t>& bytes) const {
    if (!ReadArea(entry, bytes)) return false;
    CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
    record.Deserialize(in);
    // A record that does not read whole, or names another key, is damaged.
    return !in.IsDamaged() && record.GetKey() && std::strcmp(record.GetKey(), entry.Key()) == 0;
}

RefPtr<ISerializable> CRecordStore::LoadRecord(const char* key, RefPtr<ISerializable> record) {
    if (!key || !IsOpen()) return nullptr;
    auto findCached = [&]() -> RefPtr<ISerializable> {
        const auto cached = m_cache.find(key);
        return cached == m_cache.end() ? nullptr : cached->second;
    };
    if (m_caching) {
        std::lock_guard lock(m_cacheLock);
        if (auto cached = findCached()) return cached;
    }
    const int32_t index = Find(key);
    if (index < 0) return nullptr;
    record = ReadRecord(m_entries[static_cast<size_t>(index)], std::move(record));
    if (!record) return nullptr;
    if (m_caching) {
        std::lock_guard lock(m_cacheLock);
        // Another reader may have loaded it meanwhile.
        if (auto cached = findCached()) return cached;
        m_cache.emplace(key, record);
    }
    return record;
}

void CRecordStore::PruneCache() {
    std::lock_guard lock(m_cacheLock);
    for (auto it = m_cache.begin(); it != m_cache.end();)
        it = it->second->GetRefCount() == 1 ? m_cache.erase(it) : std::next(it);
    m_cacheAfterPrune = m_cache.size();
}

void CRecordStore::TrimCache() {
    {
        std::lock_guard lock(m_cacheLock);
        if (m_cache.size() < 2 * m_cacheAfterPrune + 16) return;
    }
    PruneCache();
}

int32_t CRecordStore::GetCacheCount() const {
    std::lock_guard lock(m_cacheLock);
    return static_cast<int32_t>(m_cache.size());
}

void CRecordStore::ForgetSortedKeys() {
    std::lock_guard lock(m_sortedLock);
    for (auto& sorted : m_sorted) sorted.reset();
}

std::vector<std::string> CRecordStore::SortedKeys(int k) const {
    if (k < 0 || k >= KeyEntry::kSortTexts) k = 0;
    // Windows list the same order again and again; it is sorted once per
    // change of the entries.
    std::lock_guard lock(m_sortedLock);
    auto& sorted = m_sorted[static_cast<size_t>(k)];
    if (!sorted) sorted = SortKeys(k);
    return *sorted;
}

std::vector<std::string> CRecordStore::SortKeys(int k) const {
    // The texts are folded to lower case once and sorted side by side with
    // their indexes, so the sort never strides through the 376-byte entries.
    struct Item {
        std::array<char, KeyEntry::kSortBytes> text;
        int32_t index;
    };
    std::vector<Item> items;
    items.reserve(static_cast<size_t>(std::max(m_liveCount, 0)));
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].IsFree() || m_entries[i].damaged) continue;
        Item item{{}, static_cast<int32_t>(i)};
        const char* text = m_entries[i].Sort(k);
        for (int c = 0; c < KeyEntry::kSortBytes && text[c]; ++c)
            item.text[static_cast<size_t>(c)] = text[c] >= 'A' && text[c] <= 'Z' ? static_cast<char>(text[c] + 32) : text[c];
        items.push_back(item);
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return std::memcmp(a.text.data(), b.text.data(), a.text.size()) < 0;
    });
    std::vector<std::string> keys;
    keys.reserve(items.size());
    for (const Item& item : items) keys.emplace_back(m_entries[static_cast<size_t>(item.index)].Key());
    return keys;
}

std::optional<std::vector<uint8_t>> CRecordStore::ReadRecordBytes(int32_t index, const ISerializable& prototype) const {
    if (index < 0 || index >= GetEntryCount() || GetEntry(index).damaged) return std::nullopt;
    RefPtr<ISerializable> record = ReadRecord(GetEntry(index), RefPtr<ISerializable>(prototype.Clone()));
    if (!record) return std::nullopt;
    CMemoryOStream out(1024, 1024);
    record->Serialize(out);
    return out.ToVector();
}

std::string CRecordStore::GetDirectory() const {
    size_t slash = m_basePath.find_last_of('/');
    return slash == std::string::npos ? std::string() : m_basePath.substr(0, slash + 1);
}

bool CRecordStore::IsValidCategoryName(std::string_view name) {
    return !name.empty() && name.size() < 200 && name[0] != '.' && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::string CRecordStore::CategoryPath(const std::string& name) const { return GetDirectory() + name + ".cat"; }

bool CRecordStore::CreateCategory(const std::string& name) {
    if (IsReadOnly() || !IsValidCategoryName(name)) return false;
    if (m_fs.Exists(CategoryPath(name))) return true;
    return m_fs.WriteReplacing(CategoryPath(name), {});
}

bool CRecordStore::DeleteCategory(const std::string& name) {
    return !IsReadOnly() && IsValidCategoryName(name) && m_fs.Exists(CategoryPath(name)) &&
           m_fs.Remove(CategoryPath(name));
}

bool CRecordStore::CategoryExists(const std::string& name) {
    return IsValidCategoryName(name) && m_fs.Exists(CategoryPath(name));
}

std::vector<std::string> CRecordStore::CategoryNames() {
    std::vector<std::string> names = m_fs.List(GetDirectory(), ".cat");
    std::erase_if(names, [](const std::string& name) { return !IsValidCategoryName(name); });
    return names;
}

std::vector<CategoryEntry> CRecordStore::ReadCategory(const std::string& name) {
    if (!IsValidCategoryName(name)) return {};
    auto bytes = m_fs.ReadWhole(CategoryPath(name));
    if (!bytes) return {};
    return ParseCategoryFile(bytes->data(), bytes->size());
}

bool CRecordStore::WriteCategory(const std::string& name, const std::vector<CategoryEntry>& entries, int32_t skip) {
    return !IsReadOnly() && IsValidCategoryName(name) &&
           m_fs.WriteReplacing(CategoryPath(name), EncodeCategoryFile(entries, skip));
}

bool CRecordStore::AddToCategory(const std::string& name, const std::string& key) {
    if (!CategoryExists(name) || key.empty() || key.size() >= CategoryEntry::kKeyBytes) return false;
    std::vector<CategoryEntry> entries = ReadCategory(name);
    for (const auto& entry : entries)
        if (entry.key == key) return true;
    entries.push_back({Find(key), key});
    return WriteCategory(name, entries);
}

bool CRecordStore::RemoveFromCategory(const std::string& name, const std::string& key) {
    std::vector<CategoryEntry> entries = ReadCategory(name);
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].key == key) return WriteCategory(name, entries, static_cast<int32_t>(i));
    return false;
}

std::vector<std::string> CRecordStore::ListCategory(const std::string& name, int k) {
    if (k < 0 || k >= KeyEntry::kSortTexts) k = 0;
    std::vector<CategoryEntry> entries = ReadCategory(name);
    std::vector<int32_t> used;
    bool renumbered = false;
    for (auto& entry : entries) {
        if (entry.index >= 0 && entry.index < GetEntryCount() && !GetEntry(entry.index).IsFree() &&
            !GetEntry(entry.index).damaged && entry.key == GetEntry(entry.index).Key()) {
            used.push_back(entry.index);
            continue;
        }
        const int32_t index = Find(entry.key);
        if (index < 0) continue;
        entry.index = index;
        renumbered = true;
        used.push_back(index);
    }
    if (renumbered && !IsReadOnly()) WriteCategory(name, entries);
    std::stable_sort(used.begin(), used.end(), [&](int32_t a, int32_t b) {
        return LessIgnoringCase(GetEntry(a).Sort(k), GetEntry(b).Sort(k));
    });
    std::vector<std::string> keys;
    for (int32_t index : used) keys.emplace_back(GetEntry(index).Key());
    return keys;
}

}  // namespace vantor
