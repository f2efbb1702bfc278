#include "editing/set_editor_state.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "editing/segment_placement.h"
#include "engine/set_player.h"

namespace vantor {

namespace {
double ValidTime(double seconds) { return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0; }
}  // namespace

SetEditorState::SetEditorState(CMusicSet* set, const CConfiguration& config, double leftMarker, double rightMarker)
    : m_set(set),
      m_history(new CSetHistory(set)),
      m_defaultTempo(config.GetDefaultTempo()),
      m_referencePoint(config.GetReferencePoint()),
      m_leftMarker(ValidTime(leftMarker)),
      m_rightMarker(ValidTime(rightMarker)),
      m_selection(static_cast<size_t>(std::max(0, set->GetTracks().GetCount()))),
      m_snap(vantor::TempoAt(*set, 0, m_defaultTempo)) {}

void SetEditorState::SetLeftMarker(double seconds) { m_leftMarker = ValidTime(seconds); }
void SetEditorState::SetRightMarker(double seconds) { m_rightMarker = ValidTime(seconds); }

int32_t SetEditorState::ToPosition(double seconds) const {
    double frames = static_cast<double>(GetSampleRate()) * ValidTime(seconds);
    if (!(frames > 0)) return 0;
    if (frames >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<int32_t>(frames);
}

void SetEditorState::SetSelectedTrack(int32_t index) {
    m_selectedTrack = index >= 0 && index < GetTrackCount() ? index : kNoTrack;
}

SetEditorState::TrackSelection* SetEditorState::Selection(int32_t track) {
    if (track < 0 || track >= static_cast<int32_t>(m_selection.size())) return nullptr;
    return &m_selection[static_cast<size_t>(track)];
}

const SetEditorState::TrackSelection* SetEditorState::Selection(int32_t track) const {
    return const_cast<SetEditorState*>(this)->Selection(track);
}

const std::vector<RefPtr<CEvent>>& SetEditorState::GetSelection(int32_t track) const {
    static const std::vector<RefPtr<CEvent>> kNone;
    const TrackSelection* selection = Selection(track);
    return selection ? selection->selected : kNone;
}

CEvent* SetEditorState::GetCurrentEvent(int32_t track) const {
    const TrackSelection* selection = Selection(track);
    return selection ? selection->current.get() : nullptr;
}

bool SetEditorState::IsSelected(int32_t track, const CEvent* event) const {
    for (const auto& e : GetSelection(track))
        if (e.get() == event) return true;
    return false;
}

void SetEditorState::SelectOnly(int32_t track, CEvent* event) {
    ClearSelections();
    TrackSelection* selection = Selection(track);
    if (!selection || !event) return;
    selection->selected.emplace_back(event);
    selection->current = RefPtr<CEvent>(event);
    MarkRepaint(track);
}

void SetEditorState::ToggleSelected(int32_t track, CEvent* event) {
    TrackSelection* selection = Selection(track);
    if (!selection || !event) return;
    MarkRepaint(track);
    if (IsSelected(track, event)) {
        Deselect(track, event);
        return;
    }
    selection->selected.emplace_back(event);
    selection->current = RefPtr<CEvent>(event);
}

void SetEditorState::Deselect(int32_t track, const CEvent* event) {
    TrackSelection* selection = Selection(track);
    if (!selection) return;
    auto& list = selection->selected;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const RefPtr<CEvent>& e) { return e.get() == event; }),
               list.end());
    if (selection->current.get() == event)
        selection->current = list.empty() ? RefPtr<CEvent>() : list.back();
}

void SetEditorState::ClearSelection(int32_t track) {
    TrackSelection* selection = Selection(track);
    if (!selection) return;
    if (!selection->selected.empty() || selection->current) MarkRepaint(track);
    selection->selected.clear();
    selection->current.reset();
}

void SetEditorState::ClearSelections() {
    for (int32_t t = 0; t < static_cast<int32_t>(m_selection.size()); ++t) ClearSelection(t);
}

int32_t SetEditorState::FirstTrackWithSelection() const {
    for (int32_t t = 0; t < static_cast<int32_t>(m_selection.size()); ++t)
        if (m_selection[static_cast<size_t>(t)].current) return t;
    return kNoTrack;
}

int32_t SetEditorState::FirstAudioTrackWithSelection() const {
    for (int32_t t = 1; t < static_cast<int32_t>(m_selection.size()); ++t)
        if (m_selection[static_cast<size_t>(t)].current) return t;
    return kNoTrack;
}

double SetEditorState::TempoAt(int32_t position) const { return vantor::TempoAt(*m_set, position, m_defaultTempo); }

CEvent* SetEditorState::EventAt(int32_t track, int32_t position) const {
    const CTrack* t = GetTrack(track);
    if (!t) return nullptr;
    // The last tempo change lasts to the end of the set, which is measured
    // after the list's lock is released: the set's locks are taken tracks
    // array first, then lists.
    CEvent* lastTempo = nullptr;
    {
        auto& events = t->GetEvents();
        std::lock_guard lock(events.Lock());
        for (auto* n = events.GetHead(); n; n = n->GetNext()) {
            CEvent* event = n->GetItem();
            if (event->GetPosition() > position) break;
            if (event->GetSegment()) {
                if (position < static_cast<int64_t>(event->GetPosition()) +
                                   event->GetSegment()->GetSegment()->GetTimelineLength())
                    return event;
            } else if (event->GetTempoChange()) {
                if (!n->GetNext()) lastTempo = event;
                else if (position < n->GetNext()->GetItem()->GetPosition()) return event;
            }
        }
    }
    return lastTempo && position < GetSetEnd() ? lastTempo : nullptr;
}

std::vector<SegmentAt> SetEditorState::SegmentsAt(int32_t position) const {
    std::vector<SegmentAt> found;
    for (int32_t t = 1; t < GetTrackCount(); ++t) {
        CEvent* event = EventAt(t, position);
        if (event && event->GetSegment()) found.push_back({t, event});
    }
    return found;
}

int64_t SetEditorState::GetSetEnd() const { return SetEndFrame(*m_set); }

void SetEditorState::MarkAllRepaint() {
    for (int32_t t = 0; t < GetTrackCount(); ++t) m_repaint.insert(t);
}

std::set<int32_t> SetEditorState::TakeRepaint() {
    std::set<int32_t> rows;
    rows.swap(m_repaint);
    return rows;
}

}  // namespace vantor
