#include "views/find_music_view.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "config/configuration.h"
#include "database/music_database.h"
#include "platform/user_interface.h"

namespace vantor {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::optional<double> ParseReal(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    while (end && std::isspace(static_cast<unsigned char>(*end))) ++end;
    if (text.empty() || !end || *end != '\0' || std::isnan(value)) return std::nullopt;
    return value;
}

}  // namespace

CFindMusicView::CFindMusicView(IUserInterface& ui, CMusicDatabase& database, const CConfiguration& config,
                               std::function<void(std::vector<std::string>)> showKeys)
    : m_ui(ui), m_database(database), m_showKeys(std::move(showKeys)) {
    const GenrePresets& genres = config.GetGenrePresets();
    std::lock_guard lock(genres.Lock());
    for (int32_t i = 0; i < genres.GetCount(); ++i) m_genreBoxes[genres.GetAt(i)->GetId()] = false;
}

bool CFindMusicView::SetGenreBox(int32_t genreId, bool checked) {
    const auto box = m_genreBoxes.find(genreId);
    if (box == m_genreBoxes.end()) return false;
    box->second = checked;
    return true;
}

void CFindMusicView::SelectAll() {
    m_fields.song = m_fields.sample = m_fields.beats = m_fields.acapella = true;
    for (auto& box : m_genreBoxes) box.second = true;
}

void CFindMusicView::SelectNone() {
    m_fields.song = m_fields.sample = m_fields.beats = m_fields.acapella = false;
    for (auto& box : m_genreBoxes) box.second = false;
}

std::vector<std::string> CFindMusicView::Find() {
    const auto from = ParseReal(m_fields.tempoFrom);
    const auto to = ParseReal(m_fields.tempoTo);
    if (!from || !to) {
        m_ui.MessageBox("Tempo must be a number.", kTitle, MessageButtons::Ok, MessageIcon::Error);
        return {};
    }
    const std::string mixer = Upper(m_fields.mixer);
    const std::string album = Upper(m_fields.album);
    int32_t kinds = 0;
    if (m_fields.song) kinds |= CSongProfile::kTypeSong;
    if (m_fields.sample) kinds |= CSongProfile::kTypeSample;
    if (m_fields.beats) kinds |= CSongProfile::kTypeBeats;
    if (m_fields.acapella) kinds |= CSongProfile::kTypeAcapella;
    bool anyGenre = false;
    for (const auto& box : m_genreBoxes) anyGenre = anyGenre || box.second;

    std::vector<std::string> found;
    const std::vector<std::string> keys = m_database.SortedSongKeys(CMusicDatabase::kSortTitle);
    constexpr size_t kChunk = 1024;
    for (size_t first = 0; first < keys.size(); first += kChunk) {
        const auto songs = m_database.GetSongs(keys, first, kChunk);
        for (size_t i = 0; i < songs.size(); ++i) {
            const RefPtr<CSongProfile>& song = songs[i];
            if (song && Matches(*song, *from, *to, mixer, album, kinds, anyGenre)) found.push_back(keys[first + i]);
        }
    }
    if (m_showKeys) m_showKeys(found);
    return found;
}

bool CFindMusicView::Matches(const CSongProfile& song, double from, double to, const std::string& mixer,
                             const std::string& album, int32_t kinds, bool anyGenre) const {
    const double tempo = song.GetTempo();
    if (!(from <= tempo && tempo <= to)) return false;
    if (!mixer.empty() && Upper(song.GetMixer()).find(mixer) == std::string::npos) return false;
    if (!album.empty() && Upper(song.GetAlbum()).find(album) == std::string::npos) return false;
    if (kinds != 0 && (song.GetType() & kinds) == 0) return false;
    if (!anyGenre) return true;
    // Looked up by id: a damaged id has no box and does not match.
    const auto box = m_genreBoxes.find(song.GetGenre());
    return box != m_genreBoxes.end() && box->second;
}

}  // namespace vantor
