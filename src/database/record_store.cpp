#include "database/record_store.h"

#include <algorithm>
#include <cstring>
#include <numeric>

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

CRecordStore::CRecordStore(std::string basePath, bool caching, IStoreFileSystem& fs, std::string dataSuffix,
                           std::string keySuffix)
    : m_basePath(std::move(basePath)),
      m_dataPath(m_basePath + dataSuffix),
      m_keyPath(m_basePath + keySuffix),
      m_journalPath(m_basePath + ".JNL"),
      m_caching(caching),
      m_fs(fs),
      m_cache(MakeRef<CArray<ISerializable>>(5, 5)) {
    m_data = m_fs.Open(m_dataPath);
    m_keys = m_fs.Open(m_keyPath);
    if (!IsOpen()) {
        m_data.reset();
        m_keys.reset();
        return;
    }
    if (!StoreTransaction::Recover(m_fs, m_journalPath, {m_data.get(), m_keys.get()})) m_broken = true;
    LoadKeys();
}

CRecordStore::~CRecordStore() = default;

bool CRecordStore::LoadKeys() {
    m_entries.clear();
    m_index.clear();
    m_free.clear();
    m_liveCount = 0;
    m_entriesOnDisk = 0;
    m_dataLength = 0;
    if (!IsOpen()) return false;
    m_dataLength = std::max<int64_t>(m_data->Size(), 0);
    int64_t size = m_keys->Size();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxWholeFileBytes) return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    bytes.resize(m_keys->ReadAt(0, bytes.data(), bytes.size()));
    KeyFileContents contents = ParseKeyFile(bytes.data(), bytes.size());
    m_entries = std::move(contents.entries);
    m_liveCount = contents.liveCount;
    m_entriesOnDisk = static_cast<int32_t>(m_entries.size());
    RebuildIndex();
    return true;
}

void CRecordStore::RebuildIndex() {
    m_index.clear();
    m_index.reserve(m_entries.size());
    m_free.clear();
    m_duplicateKeys = false;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].IsFree()) {
            m_free.insert(static_cast<int32_t>(i));
            continue;
        }
        // The first entry wins, as in a search from the front.
        if (!m_index.emplace(m_entries[i].Key(), static_cast<int32_t>(i)).second) m_duplicateKeys = true;
    }
}

int32_t CRecordStore::Find(std::string_view key) const {
    if (key.empty()) return -1;
    auto it = m_index.find(key);
    return it == m_index.end() ? -1 : it->second;
}

int32_t CRecordStore::FirstFreeSlot(int32_t size) const {
    for (int32_t i : m_free) {
        const KeyEntry& entry = m_entries[static_cast<size_t>(i)];
        // A free area is reused only when it lies inside the data file, so a
        // damaged entry cannot send a record somewhere it would be lost.
        if (entry.IsFree() && entry.size > size && entry.offset >= 0 &&
            static_cast<int64_t>(entry.offset) + entry.size <= m_dataLength)
            return i;
    }
    return -1;
}

int32_t CRecordStore::AllocateSlot(std::string_view key, int32_t size) {
    const int32_t reuse = FirstFreeSlot(size);
    if (reuse >= 0) {
        KeyEntry& entry = m_entries[static_cast<size_t>(reuse)];
        entry.SetKey(key);
        entry.size = size;
        ++m_liveCount;
        m_free.erase(reuse);
        return reuse;
    }
    if (m_dataLength + size > INT32_MAX) return -1;
    KeyEntry entry;
    entry.SetKey(key);
    entry.offset = static_cast<int32_t>(m_dataLength);
    entry.size = size;
    m_entries.push_back(entry);
    ++m_liveCount;
    return static_cast<int32_t>(m_entries.size()) - 1;
}

void CRecordStore::FreeSlot(int32_t index) {
    m_entries[static_cast<size_t>(index)].key[0] = '\0';
    --m_liveCount;
    m_free.insert(index);
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
    for (int32_t index : changed)
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
    if (!IsOpen() || m_broken) return false;
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

    int32_t index = Find(key);
    if (index >= 0 && m_entries[static_cast<size_t>(index)].size < size) {
        before.emplace_back(index, m_entries[static_cast<size_t>(index)]);
        changed.push_back(index);
        FreeSlot(index);
        index = -1;
    }
    if (index < 0) {
        const int32_t reuse = FirstFreeSlot(size);
        if (reuse >= 0) before.emplace_back(reuse, m_entries[static_cast<size_t>(reuse)]);
        index = AllocateSlot(key, size);
    } else {
        before.emplace_back(index, m_entries[static_cast<size_t>(index)]);
    }
    auto restore = [&] {
        m_entries.resize(entriesBefore);
        for (auto& [i, entry] : before) {
            m_entries[static_cast<size_t>(i)] = entry;
            if (entry.IsFree()) m_free.insert(i); else m_free.erase(i);
        }
        m_liveCount = liveBefore;
    };
    if (index < 0) {
        restore();
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
        restore();
        return false;
    }
    m_dataLength = std::max(m_dataLength, end);
    m_entriesOnDisk = static_cast<int32_t>(m_entries.size());
    m_index.insert_or_assign(key, index);
    DropCached(key, &record);
    return true;
}

bool CRecordStore::RemoveRecord(std::string_view key) {
    if (!IsOpen() || m_broken) return false;
    const int32_t index = Find(key);
    if (index < 0) return false;
    const KeyEntry entryBefore = m_entries[static_cast<size_t>(index)];
    FreeSlot(index);
    StoreTransaction transaction(m_fs, m_journalPath, {m_data.get(), m_keys.get()});
    AddKeyWrites(transaction, {index});
    if (!Commit(transaction)) {
        m_entries[static_cast<size_t>(index)] = entryBefore;
        ++m_liveCount;
        m_free.erase(index);
        return false;
    }
    if (m_liveCount == 0) m_entriesOnDisk = 0;
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
    std::lock_guard lock(m_cache->Lock());
    for (int32_t i = m_cache->GetCount() - 1; i >= 0; --i) {
        ISerializable* cached = m_cache->GetAt(i);
        if (cached != keep && cached->GetKey() && key == cached->GetKey()) m_cache->RemoveAt(i);
    }
}

std::optional<std::vector<uint8_t>> CRecordStore::ReadArea(const KeyEntry& entry) const {
    if (entry.offset < 0 || entry.size < 0 || entry.size > kMaxRecordBytes ||
        static_cast<int64_t>(entry.offset) + entry.size > m_dataLength)
        return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(entry.size));
    if (m_data->ReadAt(entry.offset, bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
    return bytes;
}

RefPtr<ISerializable> CRecordStore::LoadRecord(const char* key, RefPtr<ISerializable> record) {
    if (!key || !IsOpen()) return nullptr;
    auto findCached = [&]() -> RefPtr<ISerializable> {
        std::lock_guard lock(m_cache->Lock());
        for (int32_t i = 0; i < m_cache->GetCount(); ++i) {
            ISerializable* cached = m_cache->GetAt(i);
            if (cached->GetKey() && std::strcmp(cached->GetKey(), key) == 0) return RefPtr<ISerializable>(cached);
        }
        return nullptr;
    };
    if (m_caching)
        if (auto cached = findCached()) return cached;
    const int32_t index = Find(key);
    if (index < 0) return nullptr;
    auto bytes = ReadArea(m_entries[static_cast<size_t>(index)]);
    if (!bytes) return nullptr;
    CMemoryIStream in(bytes->data(), static_cast<int32_t>(bytes->size()));
    record->Deserialize(in);
    // A record that does not read whole, or names another key, is damaged.
    if (in.IsDamaged() || !record->GetKey() || std::strcmp(record->GetKey(), key) != 0) return nullptr;
    if (m_caching) {
        std::lock_guard lock(m_cache->Lock());
        // Another reader may have loaded it meanwhile.
        if (auto cached = findCached()) return cached;
        m_cache->Add(record.get());
    }
    return record;
}

void CRecordStore::PruneCache() {
    std::lock_guard lock(m_cache->Lock());
    for (int32_t i = m_cache->GetCount() - 1; i >= 0; --i)
        if (m_cache->GetAt(i)->GetRefCount() == 1) m_cache->RemoveAt(i);
}

std::vector<std::string> CRecordStore::SortedKeys(int k) const {
    if (k < 0 || k >= KeyEntry::kSortTexts) k = 0;
    // The texts are folded to lower case once and sorted side by side with
    // their indexes, so the sort never strides through the 376-byte entries.
    struct Item {
        std::array<char, KeyEntry::kSortBytes> text;
        int32_t index;
    };
    std::vector<Item> items;
    items.reserve(static_cast<size_t>(std::max(m_liveCount, 0)));
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].IsFree()) continue;
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
    if (index < 0 || index >= GetEntryCount()) return std::nullopt;
    const KeyEntry& entry = m_entries[static_cast<size_t>(index)];
    auto area = ReadArea(entry);
    if (!area) return std::nullopt;
    RefPtr<ISerializable> record(prototype.Clone());
    CMemoryIStream in(area->data(), static_cast<int32_t>(area->size()));
    record->Deserialize(in);
    if (in.IsDamaged() || !record->GetKey() || std::strcmp(record->GetKey(), entry.Key()) != 0) return area;
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
    if (!IsValidCategoryName(name)) return false;
    if (m_fs.Exists(CategoryPath(name))) return true;
    return m_fs.WriteReplacing(CategoryPath(name), {});
}

bool CRecordStore::DeleteCategory(const std::string& name) {
    return IsValidCategoryName(name) && m_fs.Exists(CategoryPath(name)) && m_fs.Remove(CategoryPath(name));
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
    return IsValidCategoryName(name) && m_fs.WriteReplacing(CategoryPath(name), EncodeCategoryFile(entries, skip));
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
        if (entry.index >= 0 && entry.index < GetEntryCount() && entry.key == GetEntry(entry.index).Key()) {
            used.push_back(entry.index);
            continue;
        }
        const int32_t index = Find(entry.key);
        if (index < 0) continue;
        entry.index = index;
        renumbered = true;
        used.push_back(index);
    }
    if (renumbered) WriteCategory(name, entries);
    std::stable_sort(used.begin(), used.end(), [&](int32_t a, int32_t b) {
        return LessIgnoringCase(GetEntry(a).Sort(k), GetEntry(b).Sort(k));
    });
    std::vector<std::string> keys;
    for (int32_t index : used) keys.emplace_back(GetEntry(index).Key());
    return keys;
}

}  // namespace vantor
