#include "database/music_database.h"

#include <cstdio>

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

CMusicDatabase::CMusicDatabase(IStoreFileSystem& fs) : m_fs(fs) {}

CMusicDatabase::~CMusicDatabase() { Close(); }

bool CMusicDatabase::Open(const std::string& directory) {
    Close();
    m_directory = directory.empty() ? "./" : directory;
    if (m_directory.back() != '/') m_directory += '/';
    CStoreGate::Writer songs(m_songGate);
    CStoreGate::Writer samples(m_sampleGate);
    if (!RecoverCompaction()) return false;
    m_songs = std::make_unique<CRecordStore>(m_directory + "SONGS", true, m_fs);
    m_samples = std::make_unique<CRecordStore>(m_directory + "SAMPLES", true, m_fs);
    return m_songs->IsOpen() && m_samples->IsOpen();
}

void CMusicDatabase::Close() {
    CStoreGate::Writer songs(m_songGate);
    CStoreGate::Writer samples(m_sampleGate);
    m_songs.reset();
    m_samples.reset();
}

bool CMusicDatabase::IsOpen() const { return m_songs && m_songs->IsOpen() && m_samples && m_samples->IsOpen(); }

RefPtr<CSongProfile> CMusicDatabase::Load(CStoreGate& gate, CRecordStore* store, const std::string& key) {
    CStoreGate::Reader reader(gate);
    if (!store) return nullptr;
    store->PruneCache();
    RefPtr<ISerializable> record = store->LoadRecord(key.c_str(), MakeRef<CSongProfile>());
    return RefPtr<CSongProfile>(static_cast<CSongProfile*>(record.get()));
}

RefPtr<CSongProfile> CMusicDatabase::GetSong(const std::string& key) {
    if (auto song = Load(m_songGate, m_songs.get(), key)) return song;
    return GetSample(key);
}

RefPtr<CSongProfile> CMusicDatabase::GetSample(const std::string& key) {
    return Load(m_sampleGate, m_samples.get(), key);
}

bool CMusicDatabase::PutSong(const CSongProfile& profile) {
    bool stored;
    {
        CStoreGate::Writer writer(m_songGate);
        stored = m_songs && m_songs->SaveRecord(profile, profile.GetTitle(), profile.GetArtist(),
                                                TempoText(profile.GetTempo()));
    }
    if (stored) Notify();
    return stored;
}

bool CMusicDatabase::PutSample(const CSongProfile& profile) {
    CStoreGate::Writer writer(m_sampleGate);
    return m_samples && m_samples->SaveRecord(profile, profile.GetTitle(), "", "");
}

bool CMusicDatabase::RemoveSong(const CSongProfile& profile) {
    bool removed;
    {
        CStoreGate::Writer writer(m_songGate);
        removed = m_songs && m_songs->RemoveRecord(profile.GetKey());
    }
    if (removed) Notify();
    return removed;
}

bool CMusicDatabase::RemoveSample(const CSongProfile& profile) {
    CStoreGate::Writer writer(m_sampleGate);
    return m_samples && m_samples->RemoveRecord(profile.GetKey());
}

std::vector<std::string> CMusicDatabase::SortedSongKeys(SortField field) {
    CStoreGate::Reader reader(m_songGate);
    return m_songs ? m_songs->SortedKeys(field) : std::vector<std::string>();
}

std::vector<std::string> CMusicDatabase::SortedSampleKeys() {
    CStoreGate::Reader reader(m_sampleGate);
    return m_samples ? m_samples->SortedKeys(kSortTitle) : std::vector<std::string>();
}

int32_t CMusicDatabase::GetSongCount() {
    CStoreGate::Reader reader(m_songGate);
    return m_songs ? m_songs->GetLiveCount() : 0;
}

int32_t CMusicDatabase::GetSampleCount() {
    CStoreGate::Reader reader(m_sampleGate);
    return m_samples ? m_samples->GetLiveCount() : 0;
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

bool CMusicDatabase::CompactSongs() {
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
    std::vector<KeyEntry> entries;
    int64_t offset = 0;
    for (const std::string& key : m_songs->SortedKeys(kSortTitle)) {
        const int32_t index = m_songs->Find(key);
        auto bytes = m_songs->ReadRecordBytes(index, prototype);
        if (!bytes) continue;  // its area lies outside the data file: nothing to keep
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

    m_songs.reset();
    if (!RecoverCompaction()) {
        // Committed but not yet in place: the next Open finishes it. Until
        // then the song store stays closed rather than mixing old and new.
        return false;
    }
    m_songs = std::make_unique<CRecordStore>(m_directory + "SONGS", true, m_fs);
    return m_songs->IsOpen();
}

bool CMusicDatabase::CompactDatabase() {
    bool compacted;
    {
        CStoreGate::Writer writer(m_songGate);
        compacted = m_songs && m_songs->IsOpen() && !m_songs->IsBroken() && CompactSongs();
    }
    if (compacted) Notify();
    return compacted;
}

bool CMusicDatabase::CreateCategory(const std::string& name) {
    CStoreGate::Writer writer(m_songGate);
    return m_songs && m_songs->CreateCategory(name);
}

bool CMusicDatabase::DeleteCategory(const std::string& name) {
    CStoreGate::Writer writer(m_songGate);
    return m_songs && m_songs->DeleteCategory(name);
}

bool CMusicDatabase::CategoryExists(const std::string& name) {
    CStoreGate::Reader reader(m_songGate);
    return m_songs && m_songs->CategoryExists(name);
}

std::vector<std::string> CMusicDatabase::CategoryNames() {
    CStoreGate::Reader reader(m_songGate);
    return m_songs ? m_songs->CategoryNames() : std::vector<std::string>();
}

bool CMusicDatabase::AddToCategory(const std::string& name, const std::string& key) {
    CStoreGate::Writer writer(m_songGate);
    return m_songs && m_songs->AddToCategory(name, key);
}

bool CMusicDatabase::RemoveFromCategory(const std::string& name, const std::string& key) {
    CStoreGate::Writer writer(m_songGate);
    return m_songs && m_songs->RemoveFromCategory(name, key);
}

std::vector<std::string> CMusicDatabase::ListCategory(const std::string& name, SortField field) {
    // Listing may store refreshed indexes, so it enters as the writer.
    CStoreGate::Writer writer(m_songGate);
    return m_songs ? m_songs->ListCategory(name, field) : std::vector<std::string>();
}

}  // namespace vantor
