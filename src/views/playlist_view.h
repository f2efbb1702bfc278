#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/music_database.h"
#include "model/music_set.h"
#include "model/playlist_file.h"
#include "platform/recent_file_list.h"
#include "platform/user_interface.h"

namespace vantor {

// The playlist editor without its window: one playlist, the rows it shows
// for the songs found in the music database, the total playing time, and
// the editing, marking and saving commands.
class CPlaylistView {
public:
    // What one row shows: "Title", "Artist", "Mixer", "Tempo" ("%3.3f"), "O"
    // ("X" when the audio file is not on the local disk) and "P" ("X" when
    // the song is in the marked set). entry is the row's playlist index.
    struct Row {
        int32_t entry;
        std::string title, artist, mixer, tempo, offline, inSet;
    };

    CPlaylistView(CMusicDatabase& database, IUserInterface& ui, RecentFileList* recentFiles = nullptr);

    // An empty playlist without a file.
    void New();
    // Reads a ".plt" file; false (and nothing changed) when it cannot be read.
    // A file that did not read cleanly is shown as far as it could be read,
    // and written back only when the user agrees, with the original kept
    // beside it (path + ".damaged").
    bool Open(const std::string& path);

    // "PlayList Editor - <file name>", or "PlayList Editor - Untitled".
    std::string GetTitle() const;
    const std::string& GetPath() const { return m_path; }
    Playlist& GetPlaylist() const { return *m_playlist; }
    // One row per entry whose song the database knows.
    std::vector<Row> GetRows();

    // Inserts the song before the entry at index (appends for -1 or an index
    // past the end). A song already in the playlist is refused with "Entry
    // already exists in the playlist.".
    bool AddSong(const std::string& key, int32_t before = -1);
    bool Remove(int32_t index);
    // The entry's new index, or -1 when it cannot move that way.
    int32_t MoveUp(int32_t index);
    int32_t MoveDown(int32_t index);
    // Flags every entry whose song a segment of the set uses; null (the
    // "<none>" choice) clears every flag.
    void Mark(const CMusicSet* set);

    // Seconds of audio: each song's file size / 44100 / 4, 0 for a file that
    // cannot be opened.
    uint32_t GetTotalSeconds() const { return m_totalSeconds; }
    // "%02u:%02u:%02u" of hours, minutes and seconds.
    std::string GetTotalTime() const;
    static uint32_t SongSeconds(const std::string& key);

    // Writes to the playlist's file, or asks for one (Save As) when it has
    // none. False when nothing was written.
    bool Save();
    bool SaveAs();
    bool SaveAsPath(const std::string& path);

private:
    int32_t Find(const std::string& key) const;
    void Recount();
    bool WriteTo(const std::string& path);
    int32_t Swap(int32_t index, int32_t other);

    static constexpr const char* kCaption = "PlayList Editor";
    static constexpr const char* kDamagedSuffix = ".damaged";

    CMusicDatabase& m_database;
    IUserInterface& m_ui;
    RecentFileList* m_recentFiles;
    RefPtr<Playlist> m_playlist;
    std::string m_path;
    uint32_t m_totalSeconds = 0;
    bool m_damaged = false;  // the file did not read cleanly
};

}  // namespace vantor
