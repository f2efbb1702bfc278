#include "server/commit_history.h"

#include <vector>

#include "model/set_file.h"

namespace vantor {

namespace {

std::vector<std::vector<uint8_t>> EventRecords(const CTrack& track, std::vector<CEvent*>& events) {
    std::vector<std::vector<uint8_t>> records;
    auto& list = track.GetEvents();
    std::lock_guard lock(list.Lock());
    for (auto* n = list.GetHead(); n; n = n->GetNext()) {
        events.push_back(n->GetItem());
        records.push_back(SerializeToBytes(*n->GetItem()));
    }
    return records;
}

}  // namespace

Result<RefPtr<CSetHistory>> BuildCommitHistory(CMusicSet& playing, CMusicSet& edited) {
    const int32_t tracks = playing.GetTracks().GetCount();
    if (tracks != edited.GetTracks().GetCount())
        return Refusal{"The set on the Sound Server has " + std::to_string(tracks - 1) + " tracks, the edited set " +
                           std::to_string(edited.GetTracks().GetCount() - 1) + "; start it anew instead",
                       "Commit Set", MessageIcon::Error};
    auto history = MakeRef<CSetHistory>(&playing);
    for (int32_t t = 0; t < tracks; ++t) {
        std::vector<CEvent*> before, after;
        auto oldRecords = EventRecords(*playing.GetTrack(t), before);
        auto newRecords = EventRecords(*edited.GetTrack(t), after);
        std::vector<bool> kept(after.size(), false);
        std::vector<CEvent*> removed;
        for (size_t i = 0; i < before.size(); ++i) {
            bool found = false;
            for (size_t j = 0; j < after.size() && !found; ++j)
                if (!kept[j] && oldRecords[i] == newRecords[j]) found = kept[j] = true;
            if (!found) removed.push_back(before[i]);
        }
        for (CEvent* event : removed) history->RecordRemove(t, event);
        for (size_t j = 0; j < after.size(); ++j)
            if (!kept[j]) history->RecordInsert(t, after[j]);
    }
    return history;
}

}  // namespace vantor
