#include "database/music_database.h"

#include <cstdio>
#include <set>

#include "database/store_transaction.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

// Written once the compacted files are complete: from then on they replace
// the store, even if the program stops before the renames are done.
const std::vector<uint8_t> kCompactionMarker = {'c', 'o', 'm', 'p', 'a', 'c', 't', 'e', 'd', '\n'};

std::string TempoText(double tempo) {
    char text[512];
    std::snprintf(text, sizeof text, "%f", tempo);
    return text;
}

}  // namespace

CMusicDatabase::CMusicDatabase(IStoreFileSystem& fs)
    : m_fs(fs), m_lock(fs, [this](bool exclusive) { return Reload(exclusive); }) {}

CMusicDatabase::~CMusicDatabase() { Close(); }

bool CMusicDatabase::Open(const std::string& directory, StoreAccess access) {
    Close();
    CStoreGate::Writer writer(m_gate);
    m_directory = directory.empty() ? "./" : directory;
    if (m_directory.back() != '/') m_directory += '/';
    m_access = access;
    m_openError.clear();
    // Journals and compactions make files beside the stores: a directory
    // that cannot take them cannot take a change either.
    if (access == StoreAccess::ReadWrite) {
        if (std::string reason = DirectoryWriteError(m_directory); !reason.empty()) {
            m_openError = "the music database in " + m_directory + " cannot be changed: " + reason;
            return false;
        }
    }
    if (m_lock.Open(m_directory + "SONGS.LCK", access)) {
        // Taking the lock loads the stores.
        DatabaseLock::Shared hold(m_lock);
        if (hold && IsOpen()) return true;
    }
    if (m_openError.empty()) {
        m_openError = "cannot open the music database in " + m_directory;
        if (!m_lock.GetError().empty()) m_openError += ": " + m_lock.GetError();
    }
    m_songs.reset();
    m_samples.reset();
    m_lock.Close();
    return false;
}

void CMusicDatabase::Close() {
    CStoreGate::Writer writer(m_gate);
    m_songs.reset();
    m_samples.reset();
    m_lock.Close();
}

bool CMusicDatabase::IsOpen() const { return m_songs && m_songs->IsOpen() && m_samples && m_samples->IsOpen(); }

std::unique_ptr<CRecordStore> CMusicDatabase::OpenStore(const char* name) {
    const CSongProfile prototype;
    return std::make_unique<CRecordStore>(m_directory + name, true, m_fs, m_access, &prototype);
}

bool CMusicDatabase::NeedsRecovery() {
    const std::string& d = m_directory;
    if (m_access == StoreAccess::ReadOnly)
        return m_fs.Exists(d + "temp.cmt") || StoreTransaction::IsPending(m_fs, d + "SONGS.JNL") ||
               StoreTransaction::IsPending(m_fs, d + "SAMPLES.JNL");
    return m_fs.Exists(d + "SONGS.JNL") || m_fs.Exists(d + "SAMPLES.JNL") || m_fs.Exists(d + "temp.cmt") ||
           m_fs.Exists(d + "temp.db") || m_fs.Exists(d + "temp.kys");
}

DatabaseLock::Reload CMusicDatabase::Reload(bool exclusive) {
    m_texts.Forget();
    m_songs.reset();
    m_samples.reset();
    // Under the lock, what an interrupted change left behind belongs to a
    // process that died; only a writer may undo it.
    if (NeedsRecovery()) {
        if (m_access == StoreAccess::ReadOnly) {
            m_openError = "the music database in " + m_directory +
                          " holds a change that was interrupted; it is undone the next time vantor changes the "
                          "database with write access to the directory";
            return DatabaseLock::Reload::Failed;
        }
        if (!exclusive) return DatabaseLock::Reload::NeedsExclusive;
        if (!RecoverCompaction()) return DatabaseLock::Reload::Failed;
    }
    m_songs = OpenStore("SONGS");
    m_samples = OpenStore("SAMPLES");
    if (IsOpen()) return DatabaseLock::Reload::Done;
    m_openError = "cannot open the music database in " + m_directory;
    m_songs.reset();
    m_samples.reset();
    return DatabaseLock::Reload::Failed;
}

template <class T, class Lookup>
T CMusicDatabase::Read(T fallback, Lookup lookup) {
    CStoreGate::Reader reader(m_gate);
    DatabaseLock::Shared hold(m_lock);
    // The stores are looked at only once the lock is held: it may have
    // reloaded them.
    if (!hold || !m_songs || !m_samples) return fallback;
    return lookup();
}

template <class Change>
bool CMusicDatabase::Write(Change change) {
    CStoreGate::Writer writer(m_gate);
    DatabaseLock::Exclusive hold(m_lock);
    if (!hold || !m_songs || !m_samples) return false;
    const bool changed = change();
    // A change that could be neither made nor undone leaves its journal, a
    // compaction stopped after its commit its files: the next holder
    // reloads, and so finishes or undoes it.
    if (!m_songs || !m_songs->IsOpen() || m_songs->IsBroken() || m_samples->IsBroken()) m_lock.Invalidate();
    return changed;
}

RefPtr<CSongProfile> CMusicDatabase::Load(bool samples, const std::string& key) {
    return Read(RefPtr<CSongProfile>(), [&] {
        CRecordStore& store = samples ? *m_samples : *m_songs;
        store.TrimCache();
        RefPtr<ISerializable> record = store.LoadRecord(key.c_str(), MakeRef<CSongProfile>());
        return RefPtr<CSongProfile>(static_cast<CSongProfile*>(record.get()));
    });
}

RefPtr<CSongProfile> CMusicDatabase::GetSong(const std::string& key) {
    if (auto song = Load(false, key)) return song;
    return GetSample(key);
}

RefPtr<CSongProfile> CMusicDatabase::GetSample(const std::string& key) { return Load(true, key); }

std::vector<RefPtr<CSongProfile>> CMusicDatabase::GetSongs(const std::vector<std::string>& keys, size_t first,
                                                           size_t count) {
    using Songs = std::vector<RefPtr<CSongProfile>>;
    const size_t end = first >= keys.size() ? first : first + std::min(count, keys.size() - first);
    return Read(Songs(end - first), [&] {
        m_songs->TrimCache();
        m_samples->TrimCache();
        Songs songs;
        songs.reserve(end - first);
        for (size_t i = first; i < end; ++i) {
            const char* key = keys[i].c_str();
            RefPtr<ISerializable> record = m_songs->LoadRecord(key, MakeRef<CSongProfile>());
            if (!record) record = m_samples->LoadRecord(key, MakeRef<CSongProfile>());
            songs.emplace_back(static_cast<CSongProfile*>(record.get()));
        }
        return songs;
    });
}

bool CMusicDatabase::PutSong(const CSongProfile& profile) {
    const bool stored = Write([&] {
        if (!m_songs->SaveRecord(profile, profile.GetTitle(), profile.GetArtist(), TempoText(profile.GetTempo())))
            return false;
        m_texts.Put(SongTextRow::FromProfile(profile.GetKey(), profile));
        return true;
    });
    if (stored) Notify();
    return stored;
}

bool CMusicDatabase::PutSample(const CSongProfile& profile) {
    return Write([&] { return m_samples->SaveRecord(profile, profile.GetTitle(), "", ""); });
}

bool CMusicDatabase::RemoveSong(const CSongProfile& profile) {
    const bool removed = Write([&] {
        if (!m_songs->RemoveRecord(profile.GetKey())) return false;
        m_texts.Remove(profile.GetKey());
        return true;
    });
    if (removed) Notify();
    return removed;
}

bool CMusicDatabase::RemoveSample(const CSongProfile& profile) {
    return Write([&] { return m_samples->RemoveRecord(profile.GetKey()); });
}

std::vector<std::string> CMusicDatabase::SortedSongKeys(SortField field) {
    return Read(std::vector<std::string>(), [&] { return m_songs->SortedKeys(field); });
}

std::shared_ptr<const SongTextIndex> CMusicDatabase::GetSongTexts() {
    return Read(std::shared_ptr<const SongTextIndex>(), [&] {
        if (!m_texts.IsFilled()) {
            // Read past the cache, into one profile and one buffer: every
            // record is read once.
            std::unordered_map<std::string, std::shared_ptr<const SongTextRow>> rows;
            CSongProfile song;
            std::vector<uint8_t> bytes;
            for (int32_t i = 0; i < m_songs->GetEntryCount(); ++i) {
                const KeyEntry& entry = m_songs->GetEntry(i);
                if (entry.IsFree() || entry.damaged || m_songs->Find(entry.Key()) != i) continue;
                if (m_songs->ReadRecordInto(entry, song, bytes))
                    rows.emplace(entry.Key(), std::make_shared<const SongTextRow>(SongTextRow::FromProfile(entry.Key(), song)));
            }
            m_texts.Fill(std::move(rows));
        }
        return m_texts.Table([&] { return m_songs->SortedKeys(kSortTitle); });
    });
}

std::vector<std::string> CMusicDatabase::SortedSampleKeys() {
    return Read(std::vector<std::string>(), [&] { return m_samples->SortedKeys(kSortTitle); });
}

bool CMusicDatabase::ReloadDatabase() {
    return Read(false, [] { return true; });
}

int32_t CMusicDatabase::GetSongCount() {
    return Read(0, [&] { return m_songs->GetLiveCount() - m_songs->GetDamagedCount(); });
}

int32_t CMusicDatabase::GetSampleCount() {
    return Read(0, [&] { return m_samples->GetLiveCount() - m_samples->GetDamagedCount(); });
}

int32_t CMusicDatabase::GetDamagedCount() {
    return Read(0, [&] { return m_songs->GetDamagedCount() + m_samples->GetDamagedCount(); });
}

void CMusicDatabase::Notify() {
    if (m_listener) m_listener->DatabaseChanged();
}

bool CMusicDatabase::RecoverCompaction() {
    const std::string marker = m_directory + "temp.cmt";
    const std::string tempData = m_directory + "temp.db";
    const std::string tempKeys = m_directory + "temp.kys";
    if (m_fs.Exists(marker)) {
        auto bytes = m_fs.ReadWhole(marker);
        // A marker that cannot be read may still be a commit: touch nothing.
        if (!bytes) return false;
        if (*bytes != kCompactionMarker) return m_fs.Remove(marker) && RecoverCompaction();
        if (m_fs.Exists(tempData) && !m_fs.Rename(tempData, m_directory + "SONGS.DB")) return false;
        if (m_fs.Exists(tempKeys) && !m_fs.Rename(tempKeys, m_directory + "SONGS.KYS")) return false;
        return m_fs.Remove(marker);
    }
    // No commit: whatever temp files are there belong to a compaction that
    // never finished, and the store itself is untouched.
    return m_fs.Remove(tempData) && m_fs.Remove(tempKeys);
}

bool CMusicDatabase::CompactSongs(std::vector<std::string>& dropped) {
    const std::string tempData = m_directory + "temp.db";
    const std::string tempKeys = m_directory + "temp.kys";
    auto abandon = [&] {
        m_fs.Remove(tempData);
        m_fs.Remove(tempKeys);
        return false;
    };
    if (!m_fs.Remove(tempData) || !m_fs.Remove(tempKeys)) return false;
    auto data = m_fs.Open(tempData);
    if (!data) return abandon();

    const CSongProfile prototype;
    dropped = m_songs->DamagedKeys();
    std::vector<KeyEntry> entries;
    std::set<std::string> kept;
    int64_t offset = 0;
    for (const std::string& key : m_songs->SortedKeys(kSortTitle)) {
        // A damaged key file may hold a key twice; Find gives the first.
        if (!kept.insert(key).second) continue;
        const int32_t index = m_songs->Find(key);
        auto bytes = m_songs->ReadRecordBytes(index, prototype);
        if (!bytes) {
            dropped.push_back(key);  // its record does not read back: nothing to keep
            continue;
        }
        if (offset + static_cast<int64_t>(bytes->size()) > INT32_MAX) return abandon();
        if (!data->WriteAt(offset, bytes->data(), bytes->size())) return abandon();
        KeyEntry entry = m_songs->GetEntry(index);
        entry.offset = static_cast<int32_t>(offset);
        entry.size = static_cast<int32_t>(bytes->size());
        entries.push_back(entry);
        offset += static_cast<int64_t>(bytes->size());
    }
    std::vector<uint8_t> keyFile(4 + entries.size() * KeyEntry::kSize);
    StoreLE32(keyFile.data(), static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) entries[i].Encode(keyFile.data() + 4 + i * KeyEntry::kSize);
    if (!data->Sync()) return abandon();
    data.reset();
    if (!m_fs.WriteReplacing(tempKeys, keyFile)) return abandon();
    if (!m_fs.WriteReplacing(m_directory + "temp.cmt", kCompactionMarker)) return abandon();

    m_texts.Forget();
    m_songs.reset();
    if (!RecoverCompaction()) {
        // Committed but not yet in place: the next opening finishes it.
        // Until then the song store stays closed rather than mixing old and
        // new.
        return false;
    }
    m_songs = OpenStore("SONGS");
    return m_songs->IsOpen();
}

bool CMusicDatabase::CompactDatabase(std::vector<std::string>* dropped) {
    std::vector<std::string> lost;
    const bool compacted = Write([&] { return !m_songs->IsBroken() && CompactSongs(lost); });
    if (dropped) *dropped = std::move(lost);
    if (compacted) Notify();
    return compacted;
}

bool CMusicDatabase::CreateCategory(const std::string& name) {
    return Write([&] { return m_songs->CreateCategory(name); });
}

bool CMusicDatabase::DeleteCategory(const std::string& name) {
    return Write([&] { return m_songs->DeleteCategory(name); });
}

bool CMusicDatabase::CategoryExists(const std::string& name) {
    return Read(false, [&] { return m_songs->CategoryExists(name); });
}

std::vector<std::string> CMusicDatabase::CategoryNames() {
    return Read(std::vector<std::string>(), [&] { return m_songs->CategoryNames(); });
}

bool CMusicDatabase::AddToCategory(const std::string& name, const std::string& key) {
    return Write([&] { return m_songs->AddToCategory(name, key); });
}

bool CMusicDatabase::RemoveFromCategory(const std::string& name, const std::string& key) {
    return Write([&] { return m_songs->RemoveFromCategory(name, key); });
}

std::vector<std::string> CMusicDatabase::ListCategory(const std::string& name, SortField field) {
    // Listing may store refreshed indexes, so it enters as the writer when
    // it may write.
    std::vector<std::string> keys;
    if (IsReadOnly()) return Read(keys, [&] { return m_songs->ListCategory(name, field); });
    Write([&] {
        keys = m_songs->ListCategory(name, field);
        return true;
    });
    return keys;
}

}  // namespace vantor
