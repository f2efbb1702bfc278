#include "database/song_text_index.h"

#include <cctype>

#include "database/song_profile.h"

namespace vantor {

std::string UpperText(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

SongTextRow SongTextRow::FromProfile(std::string key, const CSongProfile& song) {
    SongTextRow row;
    row.key = std::move(key);
    row.title = UpperText(song.GetTitle());
    row.artist = UpperText(song.GetArtist());
    row.mixer = UpperText(song.GetMixer());
    row.album = UpperText(song.GetAlbum());
    row.tempo = song.GetTempo();
    row.type = song.GetType();
    row.genre = song.GetGenre();
    return row;
}

}  // namespace vantor

namespace vantor {

void SongTextCache::Forget() {
    std::lock_guard lock(m_lock);
    m_filled = false;
    m_rows.clear();
    m_table.reset();
}

bool SongTextCache::IsFilled() const {
    std::lock_guard lock(m_lock);
    return m_filled;
}

void SongTextCache::Fill(std::unordered_map<std::string, std::shared_ptr<const SongTextRow>> rows) {
    std::lock_guard lock(m_lock);
    m_rows = std::move(rows);
    m_filled = true;
    m_table.reset();
}

void SongTextCache::Put(SongTextRow row) {
    std::lock_guard lock(m_lock);
    if (!m_filled) return;
    auto stored = std::make_shared<const SongTextRow>(std::move(row));
    const auto old = m_rows.find(stored->key);
    if (old == m_rows.end()) {
        m_rows.emplace(stored->key, stored);
        m_table.reset();
        return;
    }
    // A song that keeps its title keeps its place: the table is patched
    // instead of arranged anew.
    if (m_table && old->second->title == stored->title) {
        auto table = std::make_shared<SongTextIndex>(*m_table);
        for (auto& entry : *table)
            if (entry == old->second) entry = stored;
        m_table = std::move(table);
    } else {
        m_table.reset();
    }
    old->second = std::move(stored);
}

void SongTextCache::Remove(const std::string& key) {
    std::lock_guard lock(m_lock);
    if (!m_filled) return;
    m_rows.erase(key);
    m_table.reset();
}

std::shared_ptr<const SongTextIndex> SongTextCache::Table(const std::function<std::vector<std::string>()>& sortedKeys) {
    std::lock_guard lock(m_lock);
    if (m_table) return m_table;
    auto table = std::make_shared<SongTextIndex>();
    table->reserve(m_rows.size());
    for (const std::string& key : sortedKeys()) {
        const auto row = m_rows.find(key);
        if (row != m_rows.end()) table->push_back(row->second);
    }
    m_table = std::move(table);
    return m_table;
}

}  // namespace vantor
