#include "editing/set_edit_commands.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "database/music_database.h"
#include "editing/history_group.h"
#include "editing/segment_placement.h"
#include "model/set_clip.h"
#include "model/set_clipboard.h"

namespace vantor {

namespace {

Refusal Overlapping() { return {"Segments can not be overlapping.", "Insert Segment", MessageIcon::Error}; }

}  // namespace

CEvent* SetEditCommands::CurrentAudioSegment(int32_t* track) const {
    int32_t t = m_state.FirstTrackWithSelection();
    if (t < 1) return nullptr;
    CEvent* event = m_state.GetCurrentEvent(t);
    if (!event || !event->GetSegment()) return nullptr;
    if (track) *track = t;
    return event;
}

bool SetEditCommands::Copy() {
    int32_t selected = 0;
    for (int32_t t = 1; t < m_state.GetTrackCount(); ++t)
        for (const auto& event : m_state.GetSelection(t))
            if (event->GetSegment()) ++selected;

    if (selected > 1) {
        CSetClip clip;
        clip.SetCount(m_state.GetTrackCount() - 1);
        int32_t earliest = INT32_MAX;
        for (int32_t t = 1; t < m_state.GetTrackCount(); ++t) {
            for (const auto& event : m_state.GetSelection(t)) {
                if (!event->GetSegment()) continue;
                RefPtr<CSegmentDesign> design(event->GetSegment()->Clone());
                design->SetPositionOffset(event->GetPosition());
                clip.GetArray(t - 1)->Add(design.get());
                earliest = std::min(earliest, event->GetPosition());
            }
        }
        clip.ShiftOffsets(-earliest);
        return PutOnClipboard(clip, kSetClipFormat);
    }

    int32_t t = m_state.FirstAudioTrackWithSelection();
    CEvent* event = t >= 1 ? m_state.GetCurrentEvent(t) : nullptr;
    if (!event || !event->GetSegment()) return false;
    return PutOnClipboard(*event->GetSegment(), kSegmentDesignFormat);
}

int32_t SetEditCommands::Erase() {
    int32_t removed = 0;
    CSetHistory& history = m_state.GetHistory();
    for (int32_t t = 1; t < m_state.GetTrackCount(); ++t) {
        std::vector<RefPtr<CEvent>> selection = m_state.GetSelection(t);
        if (selection.empty()) continue;
        CTrack& track = *m_state.GetTrack(t);
        for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
            auto* node = FindNode(track, it->get());
            if (!node) continue;
            history.RecordRemove(t, it->get());
            track.GetEvents().Remove(node);
            ++removed;
        }
        m_state.ClearSelection(t);
        m_state.MarkRepaint(t);
    }
    return removed;
}

int32_t SetEditCommands::Cut() {
    Copy();
    return Erase();
}

bool SetEditCommands::ClipboardHasSegmentDesign() {
    CSegmentDesign probe;
    return ReadFromClipboard(kSegmentDesignFormat, probe);
}

Result<CEvent*> SetEditCommands::PasteSegmentDesign() {
    const int32_t t = m_state.GetSelectedTrack();
    if (t == SetEditorState::kNoTrack)
        return Refusal{"Select a track before inserting segments", "Insert Segment", MessageIcon::Error};
    if (!m_state.IsAudioTrack(t))
        return Refusal{"Segments can not be inserted into the tempo track.", "Insert Segment", MessageIcon::Error};
    auto design = MakeRef<CSegmentDesign>();
    if (!ReadFromClipboard(kSegmentDesignFormat, *design)) return Refusal{"The clipboard holds no segment.", "Insert Segment", MessageIcon::Error};
    design->SetPositionOffset(0);
    auto* node = InsertSegmentEvent(m_state.GetSet(), t, m_state.GetLeftPosition(), design.get(), &m_state.GetHistory());
    if (!node) return Overlapping();
    m_state.MarkRepaint(t);
    return node->GetItem();
}

Status SetEditCommands::SplitSegmentAtLeft() {
    int32_t t = m_state.FirstTrackWithSelection();
    if (t < 1) return {};
    CEvent* event = m_state.GetCurrentEvent(t);
    if (!event || !event->GetSegment()) return {};
    if (!SplitSegment(m_state.GetSet(), m_state.GetHistory(), t, event, m_state.GetLeftPosition()))
        return Refusal{"Left marker must be placed at the point within the segment to split.", "Split Segment",
                       MessageIcon::Error};
    m_state.MarkRepaint(t);
    return {};
}

Status SetEditCommands::ReplaceSegmentDesign(int32_t t, CEvent* event, const CSegmentDesign& design) {
    CTrack* track = m_state.GetTrack(t);
    if (!track || !event || !FindNode(*track, event)) {
        PutOnClipboard(design, kSegmentDesignFormat);
        return Refusal{"Segment no longer exists in track. Segment has been placed on the clipboard.",
                       "Replace Segment", MessageIcon::Exclamation};
    }
    // The insertion rule: the new span may not share a frame with another
    // segment of the track.
    if (!SegmentFits(*track, event->GetPosition(), design.GetSegment()->GetTimelineLength(), event))
        return Refusal{"Unable to replace segment in track. New segment overlaps another segment.", "Insert Segment",
                       MessageIcon::Error};
    RefPtr<CEvent> copy(event->Clone());
    RefPtr<CSegmentDesign> replacement(design.Clone());
    event->SetSegment(replacement.get());
    m_state.GetHistory().RecordReplace(t, copy.get(), event);
    m_state.MarkRepaint(t);
    return {};
}

Result<AddEffectSpan> SetEditCommands::CheckAddEffect() const {
    const int32_t t = m_state.GetSelectedTrack();
    if (!m_state.IsAudioTrack(t))
        return Refusal{"Select the the track to use when adding the effect.", "Add Effect", MessageIcon::Error};
    const int32_t left = m_state.GetLeftPosition();
    const int32_t right = m_state.GetRightPosition();
    if (left >= right)
        return Refusal{"Place the left marker at the point to start the effect,\nand the right marker at the point to "
                       "stop the effect.",
                       "Add Effect", MessageIcon::Error};
    return AddEffectSpan{t, left, right};
}

Status SetEditCommands::SetLoop() {
    const int32_t b = m_state.GetLeftPosition();
    const int32_t a = m_state.GetRightPosition();
    if (a < b)
        return Refusal{"Place left marker at position to start loop, and right marker at the position to end the loop.",
                       "Set Loop", MessageIcon::Error};
    m_state.SetLoop({b, a});
    return {};
}

Status SetEditCommands::ResampleToTempo(int32_t t, CEvent* event, double tempo) {
    CTrack* track = m_state.GetTrack(t);
    if (!track || !event || !event->GetSegment() || !FindNode(*track, event)) return {};
    CSegmentDesign& design = *event->GetSegment();
    const double designTempo = design.GetTempo();
    const double ratio = design.GetSegment()->GetRatio() * designTempo / tempo;
    if (!std::isfinite(ratio) || !(ratio > 0) || !(tempo > 0)) return {};
    // The resampled segment must still fit before the next one.
    RefPtr<CSegment> resampled(design.GetSegment()->Clone());
    resampled->SetRatio(ratio);
    if (!SegmentFits(*track, event->GetPosition(), resampled->GetTimelineLength(), event)) return Overlapping();
    RefPtr<CEvent> copy(event->Clone());
    design.GetSegment()->SetRatio(ratio);
    design.SetTempo(tempo);
    m_state.GetHistory().RecordReplace(t, copy.get(), event);
    m_state.MarkRepaint(t);
    return {};
}

Status SetEditCommands::PlaceTempoChange(int32_t position, double tempo) {
    CTrack* track = m_state.GetTrack(0);
    if (!track || position < 0 || !std::isfinite(tempo) || !(tempo > 0)) return {};
    CSetHistory& history = m_state.GetHistory();
    for (auto* n = track->GetEvents().GetHead(); n && n->GetItem()->GetPosition() <= position; n = n->GetNext()) {
        CEvent* event = n->GetItem();
        if (event->GetPosition() != position || !event->GetTempoChange()) continue;
        RefPtr<CEvent> copy(event->Clone());
        event->GetTempoChange()->SetTempo(tempo);
        history.RecordReplace(0, copy.get(), event);
        m_state.MarkRepaint(0);
        return {};
    }
    auto event = MakeRef<CEvent>();
    event->SetTempoChange(new CTempoChange(tempo));
    event->SetPosition(position);
    event->SetColour(kTempoEventColour);
    track->AddEvent(event.get());
    history.RecordInsert(0, event.get());
    m_state.MarkRepaint(0);
    return {};
}

Result<bool> SetEditCommands::CopyToProfile(CMusicDatabase& database) {
    CEvent* event = CurrentAudioSegment(nullptr);
    if (!event) return false;
    RefPtr<CSongProfile> stored = database.GetSong(event->GetSegment()->GetSegment()->GetSongKey());
    if (!stored)
        return Refusal{"Unable to load profile corresponding to this segment!", "Copy To Profile", MessageIcon::Error};
    // The stored profile may be shared with other readers: change a copy.
    RefPtr<CSongProfile> profile(stored->Clone());
    RefPtr<CSegmentDesign> design(event->GetSegment()->Clone());
    design->SetPositionOffset(0);
    profile->GetSegmentDesigns().Add(design.get());
    if (!database.PutSong(*profile))
        return Refusal{"Unable to write the song profile to the music database.", "Copy To Profile",
                       MessageIcon::Error};
    return true;
}

bool SetEditCommands::Undo() {
    if (!m_state.GetHistory().HasRecords()) return false;
    m_state.GetHistory().Undo();
    m_state.ClearSelections();
    m_state.MarkAllRepaint();
    return true;
}

bool SetEditCommands::Revert() {
    if (!m_state.GetHistory().HasRecords()) return false;
    m_state.GetHistory().UndoAll();
    m_state.ClearSelections();
    m_state.MarkAllRepaint();
    return true;
}

bool SetEditCommands::Commit() {
    if (!m_state.GetHistory().HasRecords()) return false;
    m_state.GetHistory().Commit();
    m_state.ClearSelections();
    m_state.MarkAllRepaint();
    return true;
}

}  // namespace vantor
