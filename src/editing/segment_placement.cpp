#include "editing/segment_placement.h"

#include <algorithm>
#include <climits>

#include "editing/history_group.h"

namespace vantor {

int64_t OccupiedEnd(const CEvent& event) {
    int64_t length = event.GetSegment() ? event.GetSegment()->GetSegment()->GetTimelineLength() : 0;
    return static_cast<int64_t>(event.GetPosition()) + std::max<int64_t>(length, 1);
}

bool SegmentFits(const CTrack& track, int64_t position, int64_t length, const CEvent* ignore) {
    const int64_t end = position + std::max<int64_t>(length, 1);
    if (position < 0 || end - 1 > INT32_MAX) return false;
    auto& events = track.GetEvents();
    std::lock_guard lock(events.Lock());
    for (auto* n = events.GetHead(); n; n = n->GetNext()) {
        const CEvent* other = n->GetItem();
        if (other == ignore || !other->GetSegment()) continue;
        if (other->GetPosition() >= end) break;
        if (position < OccupiedEnd(*other)) return false;  // the spans share a frame
    }
    return true;
}

CTrack::Events::Node* InsertSegmentEvent(CMusicSet& set, int32_t trackIndex, int32_t position, CSegmentDesign* design,
                                         CSetHistory* history) {
    CTrack* track = trackIndex >= 1 ? set.GetTrack(trackIndex) : nullptr;
    if (!track || !design || position < 0) return nullptr;
    if (!SegmentFits(*track, position, design->GetSegment()->GetTimelineLength())) return nullptr;
    auto* event = new CEvent();
    event->SetPosition(position);
    event->SetSegment(design);
    auto* node = track->AddEvent(event);
    if (history) history->RecordInsert(trackIndex, event);
    return node;
}

bool SplitSegment(CMusicSet& set, CSetHistory& history, int32_t trackIndex, CEvent* event, int32_t p) {
    CTrack* track = set.GetTrack(trackIndex);
    if (!track || !event || !event->GetSegment() || !FindNode(*track, event)) return false;
    HistoryGroup group(history);
    CSegment& segment = *event->GetSegment()->GetSegment();
    const double ratio = segment.GetRatio();
    const int64_t b = event->GetPosition();
    const int64_t c = b + segment.GetTimelineLength();
    if (!(b < p && p < c) || !(ratio > 0)) return false;

    const int64_t firstEnd = segment.GetStart() + static_cast<int64_t>((p - b) / ratio);
    const int64_t secondStart = firstEnd + 1;
    const int64_t secondEnd = std::min<int64_t>(secondStart + static_cast<int64_t>((c - p) / ratio), segment.GetEnd());
    // Both parts must keep a frame on the timeline.
    if (static_cast<int64_t>((firstEnd - segment.GetStart()) * ratio) < 1) return false;
    if (static_cast<int64_t>((secondEnd - secondStart) * ratio) < 1) return false;

    RefPtr<CEvent> copy(event->Clone());
    RefPtr<CEvent> second(event->Clone());
    segment.SetEnd(static_cast<int32_t>(firstEnd));
    history.RecordReplace(trackIndex, copy.get(), event);

    second->ClearPendingEdits();
    second->SetPosition(p);
    CSegment& tail = *second->GetSegment()->GetSegment();
    tail.SetStart(static_cast<int32_t>(secondStart));
    tail.SetEnd(static_cast<int32_t>(secondEnd));
    track->AddEvent(second.get());
    history.RecordInsert(trackIndex, second.get());
    return true;
}

CTrack::Events::Node* FindNode(const CTrack& track, const CEvent* event) { return track.GetEvents().Find(event); }

CTrack::Events::Node* MoveEvent(CTrack& track, CEvent* event, int32_t position) {
    auto& events = track.GetEvents();
    std::lock_guard lock(events.Lock());
    auto* node = events.Find(event);
    if (!node) return nullptr;
    if (node->GetWeight() == position && event->GetPosition() == position) return node;
    RefPtr<CEvent> keep(event);  // the list drops its reference on removal
    events.Remove(node);
    event->SetPosition(position);
    return track.AddEvent(event);
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
