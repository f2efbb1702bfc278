#include "editing/mix_suggestion.h"

#include "database/music_database.h"
#include "model/event.h"
#include "model/segment_design.h"

namespace vantor {

std::vector<std::string> MixSuggestion::For(CMusicDatabase& database, const CEvent& event) {
    const CSegmentDesign* design = event.GetSegment();
    if (!design) return {};
    return For(database, design->GetSegment()->GetSongKey(), design->GetTempo());
}

std::vector<std::string> MixSuggestion::For(CMusicDatabase& database, const std::string& songKey, double tempo) {
    std::vector<std::string> keys;
    RefPtr<CSongProfile> own = database.GetSong(songKey);
    if (!own) return keys;
    const int32_t type = own->GetType();
    for (const std::string& key : database.SortedSongKeys(CMusicDatabase::kSortTitle)) {
        RefPtr<CSongProfile> song = database.GetSong(key);
        if (!song) continue;
        if (song->GetTempo() >= tempo - kTempoReach && song->GetTempo() <= tempo + kTempoReach &&
            song->GetType() == type)
            keys.push_back(key);
    }
    return keys;
}

}  // namespace vantor
