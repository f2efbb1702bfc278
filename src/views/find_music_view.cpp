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
    const std::string mixer = UpperText(m_fields.mixer);
    const std::string album = UpperText(m_fields.album);
    int32_t kinds = 0;
    if (m_fields.song) kinds |= CSongProfile::kTypeSong;
    if (m_fields.sample) kinds |= CSongProfile::kTypeSample;
    if (m_fields.beats) kinds |= CSongProfile::kTypeBeats;
    if (m_fields.acapella) kinds |= CSongProfile::kTypeAcapella;
    bool anyGenre = false;
    for (const auto& box : m_genreBoxes) anyGenre = anyGenre || box.second;

    std::vector<std::string> found;
    if (const auto texts = m_database.GetSongTexts()) {
        for (const auto& row : *texts)
            if (Matches(*row, *from, *to, mixer, album, kinds, anyGenre)) found.push_back(row->key);
    }
    if (m_showKeys) m_showKeys(found);
    return found;
}

bool CFindMusicView::Matches(const SongTextRow& song, double from, double to, const std::string& mixer,
                             const std::string& album, int32_t kinds, bool anyGenre) const {
    if (!(from <= song.tempo && song.tempo <= to)) return false;
    if (!mixer.empty() && song.mixer.find(mixer) == std::string::npos) return false;
    if (!album.empty() && song.album.find(album) == std::string::npos) return false;
    if (kinds != 0 && (song.type & kinds) == 0) return false;
    if (!anyGenre) return true;
    // Looked up by id: a damaged id has no box and does not match.
    const auto box = m_genreBoxes.find(song.genre);
    return box != m_genreBoxes.end() && box->second;
}

}  // namespace vantor
