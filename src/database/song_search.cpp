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
    std::vector<std::string> found;
    const std::vector<std::string> keys = database.SortedSongKeys(CMusicDatabase::kSortTitle);
    constexpr size_t kChunk = 1024;
    for (size_t first = 0; first < keys.size(); first += kChunk) {
        const auto songs = database.GetSongs(keys, first, kChunk);
        for (size_t i = 0; i < songs.size(); ++i) {
            if (!songs[i]) continue;
            const std::string value =
                Upper(field == SongTextField::Artist ? songs[i]->GetArtist() : songs[i]->GetTitle());
            if (value.find(wanted) != std::string::npos) found.push_back(keys[first + i]);
        }
    }
    return found;
}

}  // namespace vantor
