#include "views/playlist_view.h"

#include <sys/stat.h>

#include <cstdio>
#include <set>

#include "platform/file_io.h"

namespace vantor {

CPlaylistView::CPlaylistView(CMusicDatabase& database, IUserInterface& ui, RecentFileList* recentFiles)
    : m_database(database), m_ui(ui), m_recentFiles(recentFiles), m_playlist(NewPlaylist()) {}

void CPlaylistView::New() {
    m_playlist = NewPlaylist();
    m_path.clear();
    m_totalSeconds = 0;
    m_damaged = false;
}

bool CPlaylistView::Open(const std::string& path) {
    bool clean = true;
    RefPtr<Playlist> playlist = ReadPlaylistFile(path, &clean);
    if (!playlist) return false;
    m_playlist = playlist;
    m_path = path;
    m_damaged = !clean;
    Recount();
    if (m_damaged)
        m_ui.MessageBox("The playlist " + path + " is damaged; " + std::to_string(m_playlist->GetCount()) +
                            " entries could be read.\nIt is written again only if you agree, and the original "
                            "is then kept as " + path + kDamagedSuffix + ".",
                        kCaption, MessageButtons::Ok, MessageIcon::Exclamation);
    return true;
}

std::string CPlaylistView::GetTitle() const {
    return "PlayList Editor - " + (m_path.empty() ? std::string("Untitled") : FileNameOf(m_path));
}

uint32_t CPlaylistView::SongSeconds(const std::string& key) {
    struct stat st {};
    if (key.empty() || ::stat(key.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(st.st_size) / 44100 / 4);
}

void CPlaylistView::Recount() {
    std::lock_guard lock(m_playlist->Lock());
    m_totalSeconds = 0;
    for (int32_t i = 0; i < m_playlist->GetCount(); ++i) m_totalSeconds += SongSeconds(m_playlist->GetAt(i)->GetKey());
}

std::string CPlaylistView::GetTotalTime() const {
    char text[40];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", m_totalSeconds / 3600, m_totalSeconds / 60 % 60,
                  m_totalSeconds % 60);
    return text;
}

std::vector<CPlaylistView::Row> CPlaylistView::GetRows() {
    std::vector<Row> rows;
    std::lock_guard lock(m_playlist->Lock());
    for (int32_t i = 0; i < m_playlist->GetCount(); ++i) {
        const CPlayListEntry* entry = m_playlist->GetAt(i);
        RefPtr<CSongProfile> song = m_database.GetSong(entry->GetKey());
        if (!song) continue;
        char tempo[64];
        std::snprintf(tempo, sizeof tempo, "%3.3f", song->GetTempo());
        rows.push_back({i, song->GetTitle(), song->GetArtist(), song->GetMixer(), tempo,
                        FileExists(song->GetLocalPath()) ? "" : "X", entry->IsInSet() ? "X" : ""});
    }
    return rows;
}

int32_t CPlaylistView::Find(const std::string& key) const {
    std::lock_guard lock(m_playlist->Lock());
    for (int32_t i = 0; i < m_playlist->GetCount(); ++i)
        if (key == m_playlist->GetAt(i)->GetKey()) return i;
    return -1;
}

bool CPlaylistView::AddSong(const std::string& key, int32_t before) {
    if (key.empty()) return false;
    if (Find(key) >= 0) {
        m_ui.MessageBox("Entry already exists in the playlist.", "Add To PlayList", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    m_playlist->InsertAt(before, new CPlayListEntry(key));
    m_totalSeconds += SongSeconds(key);
    return true;
}

bool CPlaylistView::Remove(int32_t index) {
    std::lock_guard lock(m_playlist->Lock());
    const CPlayListEntry* entry = m_playlist->GetAt(index);
    if (!entry) return false;
    const uint32_t seconds = SongSeconds(entry->GetKey());
    m_totalSeconds -= std::min(seconds, m_totalSeconds);
    m_playlist->RemoveAt(index);
    return true;
}

int32_t CPlaylistView::Swap(int32_t index, int32_t other) {
    std::lock_guard lock(m_playlist->Lock());
    if (index < 0 || other < 0 || index >= m_playlist->GetCount() || other >= m_playlist->GetCount()) return -1;
    RefPtr<CPlayListEntry> moving(m_playlist->GetAt(index));
    m_playlist->RemoveAt(index);
    m_playlist->InsertAt(other, moving.get());
    return other;
}

int32_t CPlaylistView::MoveUp(int32_t index) { return Swap(index, index - 1); }

int32_t CPlaylistView::MoveDown(int32_t index) { return Swap(index, index + 1); }

void CPlaylistView::Mark(const CMusicSet* set) {
    std::set<std::string> keys;
    if (set) {
        const auto& tracks = set->GetTracks();
        std::lock_guard lock(tracks.Lock());
        for (int32_t t = 0; t < tracks.GetCount(); ++t) {
            const auto& events = tracks.GetAt(t)->GetEvents();
            std::lock_guard eventsLock(events.Lock());
            for (auto* node = events.GetHead(); node; node = node->GetNext())
                if (const CSegmentDesign* design = node->GetItem()->GetSegment())
                    keys.insert(design->GetSegment()->GetSongKey());
        }
    }
    std::lock_guard lock(m_playlist->Lock());
    for (int32_t i = 0; i < m_playlist->GetCount(); ++i) {
        CPlayListEntry* entry = m_playlist->GetAt(i);
        entry->SetInSet(keys.count(entry->GetKey()) != 0);
    }
}

bool CPlaylistView::WriteTo(const std::string& path) {
    if (m_damaged && path == m_path) {
        // The damaged original is never lost: the user agrees, and it is kept beside.
        if (m_ui.MessageBox("Write the " + std::to_string(m_playlist->GetCount()) + " entries that could be read to " +
                                path + "?\nThe damaged original is kept as " + path + kDamagedSuffix + ".",
                            kCaption, MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes)
            return false;
        auto original = ReadWholeFile(path);
        if (original && !WriteFileReplacing(path + kDamagedSuffix, original->data(), original->size())) return false;
    }
    if (!WritePlaylistFile(*m_playlist, path)) return false;
    if (path == m_path) m_damaged = false;
    if (m_recentFiles) m_recentFiles->Add(path);
    return true;
}

bool CPlaylistView::Save() {
    if (m_path.empty()) return SaveAs();
    return WriteTo(m_path);
}

bool CPlaylistView::SaveAs() {
    FileChoice choice;
    choice.defaultExtension = ".plt";
    choice.filter = "playlist files (*.plt)|*.plt||";
    choice.initialPath = m_path;
    auto path = m_ui.ChooseSaveFile(choice);
    if (!path) return false;
    return SaveAsPath(*path);
}

bool CPlaylistView::SaveAsPath(const std::string& path) {
    if (!WriteTo(path)) return false;
    m_path = path;
    return true;
}

}  // namespace vantor
