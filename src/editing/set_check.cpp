#include "editing/set_check.h"

#include <cmath>

#include "database/music_database.h"
#include "database/song_summary.h"
#include "editing/history_group.h"
#include "engine/resampled_wave_summary_file.h"
#include "engine/wave_file.h"

namespace vantor {

std::string CheckSetRow::TrackPosition() const {
    return std::to_string(static_cast<uint32_t>(track)) + "/" + std::to_string(static_cast<uint32_t>(position));
}

std::vector<CheckSetRow> SetCheck::Run(SetEditorState& state, CMusicDatabase* database) {
    std::vector<CheckSetRow> rows;
    HistoryGroup group(state.GetHistory());
    for (int32_t t = 1; t < state.GetTrackCount(); ++t) {
        CTrack& track = *state.GetTrack(t);
        // The walk collects the events first: a replace moves no node, but the
        // database and file checks should not run under the list's lock.
        std::vector<RefPtr<CEvent>> events;
        {
            std::lock_guard lock(track.GetEvents().Lock());
            for (auto* n = track.GetEvents().GetHead(); n; n = n->GetNext())
                if (n->GetItem()->GetSegment()) events.emplace_back(n->GetItem());
        }
        for (const RefPtr<CEvent>& event : events) {
            CSegmentDesign& design = *event->GetSegment();
            CheckSetRow row{design.GetSegment()->GetSongKey(), t, event->GetPosition(), {}};
            RefPtr<CSongProfile> song = database ? database->GetSong(row.songKey) : nullptr;
            if (!song) {
                row.problem = "No song profile defined.";
                rows.push_back(row);
                continue;
            }
            if (CWaveFile(song->GetLocalPath(), 100).GetOpenResult() != 0) {
                row.problem = "Unable to open wave file.";
                rows.push_back(row);
                continue;
            }
            auto summary = OpenSongSummary(*song, false);
            if (!summary || !summary->IsValid()) {
                row.problem = "Summary file needs to be created.";
                rows.push_back(row);
                continue;
            }
            const double normalization = ComputeNormalization(*summary, state.GetReferencePoint());
            if (!std::isfinite(normalization) || normalization == design.GetNormalization()) continue;
            RefPtr<CEvent> copy(event->Clone());
            design.SetNormalization(normalization);
            state.GetHistory().RecordReplace(t, copy.get(), event.get());
            state.MarkRepaint(t);
            row.problem = "Adjusted normalization (wave file may have changed)";
            rows.push_back(row);
        }
    }
    return rows;
}

}  // namespace vantor
