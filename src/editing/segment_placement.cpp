#include "editing/segment_placement.h"

namespace vantor {

CTrack::Events::Node* InsertSegmentEvent(CMusicSet& set, int32_t trackIndex, int32_t position, CSegmentDesign* design,
                                         CSetHistory* history) {
    CTrack* track = trackIndex >= 1 ? set.GetTrack(trackIndex) : nullptr;
    if (!track || !design || position < 0) return nullptr;
    const int64_t start = position;
    const int64_t end = start + design->GetSegment()->GetTimelineLength();
    auto& events = track->GetEvents();
    std::lock_guard lock(events.Lock());
    for (auto* n = events.GetHead(); n; n = n->GetNext()) {
        const CEvent* other = n->GetItem();
        if (!other->GetSegment()) continue;
        int64_t c = other->GetPosition();
        int64_t e = c + other->GetSegment()->GetSegment()->GetTimelineLength();
        if (start < e && c < end) return nullptr;  // the spans share a frame
        if (start == end && c <= start && start < e) return nullptr;
    }
    auto* event = new CEvent();
    event->SetPosition(position);
    event->SetSegment(design);
    auto* node = track->AddEvent(event);
    if (history) history->RecordInsert(trackIndex, event);
    return node;
}

double TempoAt(const CMusicSet& set, int32_t position, double defaultTempo) {
    const CTrack* tempoTrack = set.GetTrack(0);
    if (!tempoTrack) return defaultTempo;
    double tempo = defaultTempo;
    auto& events = tempoTrack->GetEvents();
    std::lock_guard lock(events.Lock());
    for (auto* n = events.GetHead(); n && n->GetItem()->GetPosition() <= position; n = n->GetNext())
        if (const CTempoChange* change = n->GetItem()->GetTempoChange()) tempo = change->GetTempo();
    return tempo;
}

}  // namespace vantor
