#pragma once

#include <memory>
#include <string>
#include <vector>

#include "database/category_file.h"
#include "database/database_listener.h"
#include "database/database_lock.h"
#include "database/record_store.h"
#include "database/song_profile.h"
#include "database/song_text_index.h"
#include "database/store_gate.h"

namespace vantor {

// The music database of the program directory: the song store SONGS and the
// sample store SAMPLES ("SONGS.DB" and "SONGS.KYS", ...), the categories of
// songs beside them, and one listener told when the songs change. Every
// operation passes the gate, lookups as readers and changes as the writer,
// and then the lock shared by every process on the directory ("SONGS.LCK"),
// so that neither a thread nor another process ever sees a change half made,
// and a change made by another process is seen by the next operation.
class CMusicDatabase {
public:
    enum SortField { kSortTitle = 0, kSortArtist = 1, kSortTempo = 2 };

    explicit CMusicDatabase(IStoreFileSystem& fs = PosixStoreFileSystem::Instance());
    ~CMusicDatabase();
    CMusicDatabase(const CMusicDatabase&) = delete;
    CMusicDatabase& operator=(const CMusicDatabase&) = delete;

    // Opens both stores in the directory, first finishing or undoing a
    // change or compaction that was interrupted. For reading only, nothing
    // is ever written (missing stores are empty) and every change is
    // refused. False, with the reason in GetOpenError(), when a store cannot
    // be opened.
    bool Open(const std::string& directory, StoreAccess access = StoreAccess::ReadWrite);
    void Close();
    bool IsOpen() const;
    bool IsReadOnly() const { return m_access == StoreAccess::ReadOnly; }
    const std::string& GetDirectory() const { return m_directory; }
    const std::string& GetOpenError() const { return m_openError; }
    // Told once when an operation has to wait a while for another process.
    void SetWaitReport(DatabaseLock::WaitReport report) { m_lock.SetWaitReport(std::move(report)); }

    // The song stored under key, else the sample, else null.
    RefPtr<CSongProfile> GetSong(const std::string& key);
    RefPtr<CSongProfile> GetSample(const std::string& key);
    // keys[first] to keys[first + count - 1] (as many as there are), each
    // as GetSong finds it, null where it finds none: a listing reads its
    // rows under one hold of the lock instead of one per song.
    std::vector<RefPtr<CSongProfile>> GetSongs(const std::vector<std::string>& keys, size_t first, size_t count);
    // Stores the profile under its local path, whole or not at all. Songs are
    // sorted by title, artist and the tempo written with "%f"; samples by
    // title. False for an empty key or a failed write.
    bool PutSong(const CSongProfile& profile);
    bool PutSample(const CSongProfile& profile);
    // False when the key is not stored or the write failed.
    bool RemoveSong(const CSongProfile& profile);
    bool RemoveSample(const CSongProfile& profile);

    std::vector<std::string> SortedSongKeys(SortField field);
    // Every song as a search row, in title order, shared by searches until
    // the next change: a search over 100,000 songs reads no record. Null
    // when the stores cannot be read.
    std::shared_ptr<const SongTextIndex> GetSongTexts();
    std::vector<std::string> SortedSampleKeys();
    // Songs and samples that can be listed (damaged entries left out).
    int32_t GetSongCount();
    int32_t GetSampleCount();
    // Entries of both stores found damaged when they were loaded: neither
    // listed nor read, and dropped by compaction.
    int32_t GetDamagedCount();

    // Takes the lock as a reader, which rereads the stores when another
    // process has changed them since; a writer of another process is waited
    // for. False when the stores cannot be read.
    bool ReloadDatabase();

    // One listener; each call replaces the previous one (null: none).
    void SetDatabaseListener(IDatabaseListener* listener) { m_listener = listener; }

    // Rewrites the song store with only its live records, contiguous and in
    // title order. The new files are built beside the store as "temp.db" and
    // "temp.kys" and take its place only once complete, so an interruption
    // at any point leaves either the old store or the new one. Damaged
    // entries and records that do not read back are left out; their keys go
    // to dropped.
    bool CompactDatabase(std::vector<std::string>* dropped = nullptr);

    // Categories of songs.
    bool CreateCategory(const std::string& name);
    bool DeleteCategory(const std::string& name);
    bool CategoryExists(const std::string& name);
    std::vector<std::string> CategoryNames();
    bool AddToCategory(const std::string& name, const std::string& key);
    bool RemoveFromCategory(const std::string& name, const std::string& key);
    std::vector<std::string> ListCategory(const std::string& name, SortField field);

private:
    // Runs a lookup as a reader; fallback when the stores cannot be read.
    template <class T, class Lookup>
    T Read(T fallback, Lookup lookup);
    // Runs a change as the writer; false when it is refused.
    template <class Change>
    bool Write(Change change);
    RefPtr<CSongProfile> Load(bool samples, const std::string& key);
    std::unique_ptr<CRecordStore> OpenStore(const char* name);
    // Builds the stores anew from the files (the lock's reloader).
    DatabaseLock::Reload Reload(bool exclusive);
    // True when an interrupted change or compaction left something to undo.
    bool NeedsRecovery();
    bool CompactSongs(std::vector<std::string>& dropped);
    // Completes a committed compaction or clears away an unfinished one.
    bool RecoverCompaction();
    void Notify();

    IStoreFileSystem& m_fs;
    std::string m_directory;
    StoreAccess m_access = StoreAccess::ReadWrite;
    std::string m_openError;
    // One gate for both stores: they share the lock file, which the threads
    // of this process hold together.
    CStoreGate m_gate;
    DatabaseLock m_lock;
    std::unique_ptr<CRecordStore> m_songs;
    std::unique_ptr<CRecordStore> m_samples;
    IDatabaseListener* m_listener = nullptr;
    SongTextCache m_texts;
};

}  // namespace vantor
