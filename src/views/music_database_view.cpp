#include "views/music_database_view.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include "config/configuration.h"
#include "database/song_summary.h"
#include "engine/resampled_wave_file.h"
#include "engine/wave_summary_file.h"
#include "library/song_loading.h"
#include "model/recent_title_list.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"

namespace vantor {

namespace {

std::string SortText(const CSongProfile& song, int sort) {
    if (sort == CMusicDatabase::kSortArtist) return song.GetArtist();
    if (sort == CMusicDatabase::kSortTempo) {
        char text[64];
        std::snprintf(text, sizeof text, "%f", song.GetTempo());
        return text;
    }
    return song.GetTitle();
}

}  // namespace

CMusicDatabaseView::CMusicDatabaseView(IUserInterface& ui, CMusicDatabase& database, CRecentTitleList& recent,
                                       const CConfiguration& config, Listener listener)
    : m_ui(ui), m_database(database), m_recent(recent), m_config(config), m_listener(std::move(listener)) {}

std::vector<std::string> CMusicDatabaseView::GetListChoices() {
    std::vector<std::string> choices = {"All", "Latest"};
    for (std::string& name : m_database.CategoryNames()) choices.push_back(std::move(name));
    return choices;
}

void CMusicDatabaseView::Open() { ChooseList("All"); }

void CMusicDatabaseView::ChooseList(const std::string& choice) {
    m_top = 0;
    m_keys.clear();
    if (choice == "All") {
        m_mode = ListMode::All;
    } else if (choice == "Latest") {
        // Titles whose songs are gone leave the list for good.
        for (int32_t i = m_recent.GetCount() - 1; i >= 0; --i) {
            const std::string key = m_recent.GetTitle(i);
            if (!m_database.GetSong(key)) m_recent.RemoveTitle(key);
        }
        m_mode = ListMode::Latest;
    } else {
        m_keys = m_database.ListCategory(choice, CMusicDatabase::kSortTitle);
        m_mode = ListMode::Keys;
    }
    Refill();
}

void CMusicDatabaseView::SetLatest(bool on) {
    m_mode = on ? ListMode::Latest : ListMode::All;
    m_keys.clear();
    m_top = 0;
    Refill();
}

void CMusicDatabaseView::ShowKeys(std::vector<std::string> keys) {
    m_keys = std::move(keys);
    m_mode = ListMode::Keys;
    m_top = 0;
    Refill();
}

bool CMusicDatabaseView::Shows(const CSongProfile& song) const {
    if (m_config.GetHidePrivateMusic() && song.IsPrivate()) return false;
    if (m_genre && song.GetGenre() != *m_genre) return false;
    const int32_t type = song.GetType();
    return ((type & CSongProfile::kTypeSong) && m_showSong) || ((type & CSongProfile::kTypeBeats) && m_showBeats) ||
           ((type & CSongProfile::kTypeAcapella) && m_showAcapella);
}

void CMusicDatabaseView::Refill() {
    m_rows.clear();
    std::vector<std::string> storeKeys;
    int32_t count = 0;
    switch (m_mode) {
    case ListMode::Latest:
        count = m_recent.GetCount();
        break;
    case ListMode::Keys:
        count = static_cast<int32_t>(m_keys.size());
        break;
    case ListMode::All:
        storeKeys = m_database.SortedSongKeys(static_cast<CMusicDatabase::SortField>(m_sort));
        count = static_cast<int32_t>(storeKeys.size());
        break;
    }
    m_scrollMaximum = std::max(0, count - m_visibleRows);
    m_top = std::clamp(m_top, 0, m_scrollMaximum);
    if (m_mode == ListMode::Latest)
        for (int32_t i = 0; i < count; ++i) storeKeys.emplace_back(m_recent.GetTitle(i));
    const std::vector<std::string>& keys = m_mode == ListMode::Keys ? m_keys : storeKeys;
    // Songs are read a chunk at a time, as many as the window still has
    // room for (filters may skip some), under one hold of the database.
    size_t i = static_cast<size_t>(m_top);
    while (i < keys.size() && static_cast<int32_t>(m_rows.size()) < m_visibleRows) {
        const size_t room = static_cast<size_t>(m_visibleRows - static_cast<int32_t>(m_rows.size()));
        const auto songs = m_database.GetSongs(keys, i, std::clamp<size_t>(room, 32, 1024));
        for (const RefPtr<CSongProfile>& song : songs) {
            ++i;
            if (!song || !Shows(*song)) continue;
            char tempo[64];
            std::snprintf(tempo, sizeof tempo, "%3.3f", song->GetTempo());
            m_rows.push_back({song, song->GetTitle(), song->GetArtist(), tempo,
                              FileExists(song->GetLocalPath()) ? "" : "X", song->GetMixer(), song->GetAlbum()});
            if (static_cast<int32_t>(m_rows.size()) == m_visibleRows) break;
        }
    }
}

void CMusicDatabaseView::ClickHeader(int column) {
    if (column < 0 || column > 2) return;
    m_sort = column;
    Refill();
}

void CMusicDatabaseView::ToggleKind(int32_t kind) {
    if (kind == CSongProfile::kTypeSong) m_showSong = !m_showSong;
    else if (kind == CSongProfile::kTypeBeats) m_showBeats = !m_showBeats;
    else if (kind == CSongProfile::kTypeAcapella) m_showAcapella = !m_showAcapella;
    else return;
    Refill();
}

bool CMusicDatabaseView::IsKindShown(int32_t kind) const {
    if (kind == CSongProfile::kTypeSong) return m_showSong;
    if (kind == CSongProfile::kTypeBeats) return m_showBeats;
    if (kind == CSongProfile::kTypeAcapella) return m_showAcapella;
    return false;
}

void CMusicDatabaseView::SetGenreFilter(std::optional<int32_t> genreId) {
    m_genre = genreId;
    Refill();
}

void CMusicDatabaseView::JumpToLetter(char letter) {
    m_mode = ListMode::All;
    m_keys.clear();
    const std::vector<std::string> keys = m_database.SortedSongKeys(static_cast<CMusicDatabase::SortField>(m_sort));
    const std::string target(1, letter);
    // The first key whose sort text is not less than the letter; a key
    // that no longer resolves sorts as empty text.
    size_t low = 0, high = keys.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        RefPtr<CSongProfile> song = m_database.GetSong(keys[middle]);
        const std::string text = song ? SortText(*song, m_sort) : std::string();
        if (::strcasecmp(text.c_str(), target.c_str()) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    m_top = static_cast<int32_t>(low);
    Refill();
}

void CMusicDatabaseView::ScrollTo(int32_t topRow) {
    m_top = topRow;
    Refill();
}

void CMusicDatabaseView::SetVisibleRows(int32_t rows) {
    m_visibleRows = std::max(1, rows);
    Refill();
}

const CSongProfile* CMusicDatabaseView::SongAt(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return nullptr;
    return m_rows[static_cast<size_t>(row)].song.get();
}

void CMusicDatabaseView::NewProfile() {
    if (m_listener.openProfileEditor) m_listener.openProfileEditor(nullptr);
}

void CMusicDatabaseView::OpenProfile(int row) {
    if (SongAt(row) && m_listener.openProfileEditor) m_listener.openProfileEditor(m_rows[static_cast<size_t>(row)].song);
}

void CMusicDatabaseView::LoadMusic(int row) {
    const CSongProfile* song = SongAt(row);
    if (!song) return;
    auto job = PlanLoadMusic(*song);
    if (!job) return m_ui.ShowRefusal(job.Error());
    if (m_listener.queueLoad) m_listener.queueLoad(job.Value());
}

void CMusicDatabaseView::UnloadMusic(int row) {
    const CSongProfile* song = SongAt(row);
    if (!song) return;
    const Status unloaded = vantor::UnloadMusic(*song, m_config.GetDeleteSummaries());
    if (!unloaded) return m_ui.ShowRefusal(unloaded.Error());
    Refill();
}

void CMusicDatabaseView::RemoveSong(int row) {
    const CSongProfile* song = SongAt(row);
    if (!song) return;
    if (m_ui.MessageBox("Are you sure?", "Remove Song", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes)
        return;
    const RefPtr<CSongProfile> held = m_rows[static_cast<size_t>(row)].song;
    m_database.RemoveSong(*held);
    Refill();
}

bool CMusicDatabaseView::RequireLocalFile(int row, const char* caption) {
    const CSongProfile* song = SongAt(row);
    if (!song) return false;
    if (FileExists(song->GetLocalPath())) return true;
    m_ui.MessageBox("File is offline. Load file to the local hard disk and reselect this option.", caption,
                    MessageButtons::Ok, MessageIcon::Error);
    return false;
}

void CMusicDatabaseView::AnalyzeSong(int row) {
    if (RequireLocalFile(row, "Analyze Song") && m_listener.openAnalyzer)
        m_listener.openAnalyzer(m_rows[static_cast<size_t>(row)].song);
}

void CMusicDatabaseView::OpenMixingDesigns(int row) {
    if (RequireLocalFile(row, "Segment Editor") && m_listener.openMixingDesigns)
        m_listener.openMixingDesigns(m_rows[static_cast<size_t>(row)].song);
}

std::optional<RefPtr<CSegmentDesign>> CMusicDatabaseView::BeginDrag(int row) {
    const CSongProfile* song = SongAt(row);
    if (!song) return std::nullopt;
    const auto source = OpenSongSource(*song);
    if (!source || !source->GetFormat() || !FileExists(song->GetLocalPath())) return std::nullopt;
    auto design = MakeRef<CSegmentDesign>();
    design->SetName(song->GetTitle());
    design->SetTempo(song->GetTempo());
    CWaveSummaryFile summary(song->GetSummaryPath(), false);
    if (summary.IsValid()) design->SetNormalization(ComputeNormalization(summary, m_config.GetReferencePoint()));
    auto segment = new CSegment();
    segment->SetStart(0);
    segment->SetEnd(static_cast<int32_t>(std::min<uint32_t>(source->GetLength(), INT32_MAX)));
    segment->SetRatio(1.0);
    segment->SetSongKey(song->GetLocalPath());
    segment->SetSongTitle(song->GetTitle());
    design->SetSegment(segment);
    return design;
}

}  // namespace vantor
