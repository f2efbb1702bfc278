#include "editing/mix_suggestion.h"

#include "database/music_database.h"
#include "model/event.h"
#include "model/segment_design.h"

namespace vantor {

std::vector<std::string> MixSuggestion::For(CMusicDatabase& database, const CEvent& event) {
    std::vector<std::string> keys;
    const CSegmentDesign* design = event.GetSegment();
    if (!design) return keys;
    RefPtr<CSongProfile> own = database.GetSong(design->GetSegment()->GetSongKey());
    if (!own) return keys;
    const double tempo = design->GetTempo();
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
