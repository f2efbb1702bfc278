#pragma once

#include <memory>
#include <string>
#include <vector>

#include "database/category_file.h"
#include "database/database_listener.h"
#include "database/record_store.h"
#include "database/song_profile.h"
#include "database/store_gate.h"

namespace vantor {

// The music database of the program directory: the song store SONGS and the
// sample store SAMPLES ("SONGS.DB" and "SONGS.KYS", ...), the categories of
// songs beside them, and one listener told when the songs change. Every
// operation passes its store's gate: lookups as readers, changes as the
// writer, so a reader on another thread never sees a change half made.
class CMusicDatabase {
public:
    enum SortField { kSortTitle = 0, kSortArtist = 1, kSortTempo = 2 };

    explicit CMusicDatabase(IStoreFileSystem& fs = PosixStoreFileSystem::Instance());
    ~CMusicDatabase();
    CMusicDatabase(const CMusicDatabase&) = delete;
    CMusicDatabase& operator=(const CMusicDatabase&) = delete;

    // Opens both stores in the directory, first finishing or undoing a
    // compaction that was interrupted. False when a store cannot be opened.
    bool Open(const std::string& directory);
    void Close();
    bool IsOpen() const;
    const std::string& GetDirectory() const { return m_directory; }

    // The song stored under key, else the sample, else null.
    RefPtr<CSongProfile> GetSong(const std::string& key);
    RefPtr<CSongProfile> GetSample(const std::string& key);
    // Stores the profile under its local path, whole or not at all. Songs are
    // sorted by title, artist and the tempo written with "%f"; samples by
    // title. False for an empty key or a failed write.
    bool PutSong(const CSongProfile& profile);
    bool PutSample(const CSongProfile& profile);
    // False when the key is not stored or the write failed.
    bool RemoveSong(const CSongProfile& profile);
    bool RemoveSample(const CSongProfile& profile);

    std::vector<std::string> SortedSongKeys(SortField field);
    std::vector<std::string> SortedSampleKeys();
    int32_t GetSongCount();
    int32_t GetSampleCount();

    // One listener; each call replaces the previous one (null: none).
    void SetDatabaseListener(IDatabaseListener* listener) { m_listener = listener; }

    // Rewrites the song store with only its live records, contiguous and in
    // title order. The new files are built beside the store as "temp.db" and
    // "temp.kys" and take its place only once complete, so an interruption
    // at any point leaves either the old store or the new one.
    bool CompactDatabase();

    // Categories of songs.
    bool CreateCategory(const std::string& name);
    bool DeleteCategory(const std::string& name);
    bool CategoryExists(const std::string& name);
    std::vector<std::string> CategoryNames();
    bool AddToCategory(const std::string& name, const std::string& key);
    bool RemoveFromCategory(const std::string& name, const std::string& key);
    std::vector<std::string> ListCategory(const std::string& name, SortField field);

private:
    RefPtr<CSongProfile> Load(CStoreGate& gate, CRecordStore* store, const std::string& key);
    bool CompactSongs();
    // Completes a committed compaction or clears away an unfinished one.
    bool RecoverCompaction();
    void Notify();

    IStoreFileSystem& m_fs;
    std::string m_directory;
    CStoreGate m_songGate;
    CStoreGate m_sampleGate;
    std::unique_ptr<CRecordStore> m_songs;
    std::unique_ptr<CRecordStore> m_samples;
    IDatabaseListener* m_listener = nullptr;
};

}  // namespace vantor
