#include "database/song_search.h"

#include "database/music_database.h"

namespace vantor {

std::vector<std::string> FindSongKeys(CMusicDatabase& database, SongTextField field, const std::string& text) {
    const std::string wanted = UpperText(text);
    std::vector<std::string> found;
    const auto texts = database.GetSongTexts();
    if (!texts) return found;
    for (const auto& row : *texts) {
        const std::string& value = field == SongTextField::Artist ? row->artist : row->title;
        if (value.find(wanted) != std::string::npos) found.push_back(row->key);
    }
    return found;
}

}  // namespace vantor
