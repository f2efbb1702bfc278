#include "database/song_search.h"

#include <cctype>

#include "database/music_database.h"

namespace vantor {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::vector<std::string> FindSongKeys(CMusicDatabase& database, SongTextField field, const std::string& text) {
    const std::string wanted = Upper(text);
    std::vector<std::string> keys;
    for (const std::string& key : database.SortedSongKeys(CMusicDatabase::kSortTitle)) {
        RefPtr<CSongProfile> song = database.GetSong(key);
        if (!song) continue;
        const std::string value = Upper(field == SongTextField::Artist ? song->GetArtist() : song->GetTitle());
        if (value.find(wanted) != std::string::npos) keys.push_back(key);
    }
    return keys;
}

}  // namespace vantor
