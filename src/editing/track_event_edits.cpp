#include "editing/track_event_edits.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "editing/history_group.h"
#include "editing/segment_placement.h"

namespace vantor {

namespace {

using Node = CTrack::Events::Node;

Refusal UpdateRefusal(const char* format, int64_t value) {
    char text[200];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
    return {text, "Update Event", MessageIcon::Error};
}

// The previous and next segment nodes around a node.
Node* PreviousSegment(Node* node) {
    for (Node* n = node->GetPrev(); n; n = n->GetPrev())
        if (n->GetItem()->GetSegment()) return n;
    return nullptr;
}
Node* NextSegment(Node* node) {
    for (Node* n = node->GetNext(); n; n = n->GetNext())
        if (n->GetItem()->GetSegment()) return n;
    return nullptr;
}

}  // namespace

Status TrackEventEdits::UpdateSegment(CEvent* event, int64_t start, int64_t end, const std::string& name) {
    Node* node = event ? FindNode(m_track, event) : nullptr;
    if (!node || !event->GetSegment()) return {};
    start = std::clamp<int64_t>(start, 0, INT32_MAX);
    end = std::clamp<int64_t>(end, 0, INT32_MAX);
    CSegment& segment = *event->GetSegment()->GetSegment();
    const double ratio = segment.GetRatio();

    if (Node* prev = PreviousSegment(node)) {
        const int64_t prevEnd = static_cast<int64_t>(prev->GetItem()->GetPosition()) +
                                prev->GetItem()->GetSegment()->GetSegment()->GetTimelineLength();
        if (prevEnd >= start) return UpdateRefusal("Start position overlaps with previous event.\nPrevious event ends at %u.", prevEnd);
    }
    const int64_t sourceLength = end - start;
    const int64_t timelineLength = std::isfinite(ratio) && ratio > 0 ? static_cast<int64_t>(sourceLength * ratio) : 0;
    if (start >= end || timelineLength < 1)
        return Refusal{"End position must be after the start position.", "Update Event", MessageIcon::Error};
    if (Node* next = NextSegment(node)) {
        const int64_t nextStart = next->GetItem()->GetPosition();
        if (start + timelineLength >= nextStart)
            return UpdateRefusal("End position overlaps with next event.\nNext event starts at %u.", nextStart);
    }
    // The song must have the frames; without a known song the check is
    // skipped, but the timeline and the source stay inside 32 bits.
    const int64_t sourceStart = segment.GetStart();
    std::optional<int64_t> songFrames = m_songLength ? m_songLength(segment.GetSongKey()) : std::nullopt;
    int64_t available = std::min<int64_t>(songFrames ? *songFrames - sourceStart : INT64_MAX, INT32_MAX - sourceStart);
    available = std::min<int64_t>(available, static_cast<int64_t>((static_cast<int64_t>(INT32_MAX) + 1 - start) / ratio));
    if (sourceLength > available)
        return Refusal{"Segment is too long for underlying wave file.\nMaximum length is " +
                           std::to_string(static_cast<uint32_t>(std::max<int64_t>(available, 0))) + ".",
                       "Update Event", MessageIcon::Error};

    RefPtr<CEvent> copy(event->Clone());
    segment.SetEnd(static_cast<int32_t>(segment.GetStart() + sourceLength));
    event->GetSegment()->SetName(name);
    MoveEvent(m_track, event, static_cast<int32_t>(start));
    m_history.RecordReplace(m_index, copy.get(), event);
    return {};
}

Status TrackEventEdits::UpdateTempo(CEvent* event, int64_t start, double tempo) {
    Node* node = event ? FindNode(m_track, event) : nullptr;
    if (!node || !event->GetTempoChange()) return {};
    start = std::clamp<int64_t>(start, 0, INT32_MAX);
    if (node->GetPrev() && node->GetPrev()->GetItem()->GetPosition() >= start)
        return UpdateRefusal("Start position overlaps with previous event.\nPrevious event starts at %u.",
                             node->GetPrev()->GetItem()->GetPosition());
    if (!node->GetPrev() && start != 0)
        return Refusal{"Tempo change at position 0 can not be moved.", "Modify Event", MessageIcon::Error};
    if (!(tempo >= 100 && tempo <= 150))
        return Refusal{"Tempo must be between 100 and 150 bpm.", "Update Event", MessageIcon::Error};
    // Two tempo changes at one position would leave the history unable to
    // tell them apart.
    for (Node* n = m_track.GetEvents().GetHead(); n; n = n->GetNext())
        if (n != node && n->GetItem()->GetPosition() == start)
            return UpdateRefusal("Another tempo change starts at %u.", start);

    RefPtr<CEvent> copy(event->Clone());
    event->GetTempoChange()->SetTempo(tempo);
    MoveEvent(m_track, event, static_cast<int32_t>(start));
    m_history.RecordReplace(m_index, copy.get(), event);
    return {};
}

Status TrackEventEdits::Delete(CEvent* event, bool tempoMode) {
    Node* node = event ? FindNode(m_track, event) : nullptr;
    if (!node) return {};
    if (tempoMode && node == m_track.GetEvents().GetHead())
        return Refusal{"Tempo change at position 0 can not be deleted.", "Delete Event", MessageIcon::Error};
    m_history.RecordRemove(m_index, event);
    m_track.GetEvents().Remove(node);
    return {};
}

int32_t TrackEventEdits::Clear(bool tempoMode) {
    HistoryGroup group(m_history);
    int32_t removed = 0;
    auto& events = m_track.GetEvents();
    // The history is not written under the list's lock: a replay takes the
    // history's lock first and then the lists'.
    for (;;) {
        RefPtr<CEvent> event;
        {
            std::lock_guard lock(events.Lock());
            Node* node = events.GetHead();
            if (tempoMode && node) node = node->GetNext();
            if (!node) break;
            event = RefPtr<CEvent>(node->GetItem());
        }
        m_history.RecordRemove(m_index, event.get());
        if (Node* node = events.Find(event.get())) events.Remove(node);
        ++removed;
    }
    return removed;
}

}  // namespace vantor
