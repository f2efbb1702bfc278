#include "editing/event_drag.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "editing/segment_placement.h"
#include "model/set_file.h"

namespace vantor {

namespace {

using Node = CTrack::Events::Node;

int64_t TimelineLength(const CEvent& event) {
    return event.GetSegment() ? event.GetSegment()->GetSegment()->GetTimelineLength() : 0;
}

// The point nearest to `to` on the way from `from` (which must be valid) that
// is still valid; a binary search, so a rule that holds up to some point and
// fails beyond it is followed to that point.
int64_t FarthestValid(int64_t from, int64_t to, const std::function<bool(int64_t)>& valid) {
    if (valid(to)) return to;
    int64_t good = from;
    int64_t bad = to;
    while (good - bad > 1 || bad - good > 1) {
        int64_t middle = good + (bad - good) / 2;
        if (valid(middle)) good = middle; else bad = middle;
    }
    return good;
}

}  // namespace

DragHit EventDrag::Hit(int32_t t, int32_t p, int32_t tolerance, bool ctrl) const {
    DragHit hit;
    CTrack* track = m_state.GetTrack(t);
    if (!track) return hit;
    const int64_t tol = std::max(tolerance, 0);
    CEvent* event = m_state.EventAt(t, p);
    std::lock_guard lock(track->GetEvents().Lock());

    if (t == 0) {
        if (!event || !event->GetTempoChange()) return hit;
        hit.event = event;
        Node* node = track->GetEvents().Find(event);
        if (node && node->GetNext() && node->GetNext()->GetItem()->GetPosition() - static_cast<int64_t>(p) <= tol) {
            hit.kind = DragKind::Tempo;
            hit.moved = node->GetNext()->GetItem();
        } else if (node && node->GetPrev() && p - static_cast<int64_t>(event->GetPosition()) <= tol) {
            // The left edge of a tempo event is the right edge of the one before.
            hit.kind = DragKind::Tempo;
            hit.moved = event;
        }
        return hit;
    }

    if (event && event->GetSegment()) {
        hit.event = hit.moved = event;
        const int64_t left = event->GetPosition();
        const int64_t right = left + TimelineLength(*event);
        if (p - left <= tol) hit.kind = DragKind::Start;
        else if (right - p <= tol) hit.kind = ctrl ? DragKind::Repeat : DragKind::End;
        else hit.kind = DragKind::Move;
        return hit;
    }
    // Just past a segment's right edge.
    CEvent* before = nullptr;
    for (Node* n = track->GetEvents().GetHead(); n && n->GetItem()->GetPosition() <= p; n = n->GetNext())
        if (n->GetItem()->GetSegment()) before = n->GetItem();
    if (before && p - (static_cast<int64_t>(before->GetPosition()) + TimelineLength(*before)) <= tol) {
        hit.event = hit.moved = before;
        hit.kind = ctrl ? DragKind::Repeat : DragKind::End;
    }
    return hit;
}

void EventDrag::Begin(int32_t t, const DragHit& hit) {
    End();
    CTrack* track = m_state.GetTrack(t);
    if (!track || !hit.moved || hit.kind == DragKind::None) return;
    Node* node = FindNode(*track, hit.moved);
    if (!node) return;
    if (hit.kind == DragKind::Tempo ? !hit.moved->GetTempoChange() : !hit.moved->GetSegment()) return;

    m_track = t;
    m_kind = hit.kind;
    m_held.clear();
    m_held.push_back({RefPtr<CEvent>(hit.moved), RefPtr<CEvent>(hit.moved->Clone())});
    m_tail.reset();
    m_repeats = 0;
    m_songFrames.reset();
    const int64_t p0 = hit.moved->GetPosition();
    const int64_t end0 = p0 + TimelineLength(*hit.moved);
    m_edgeAtPress = static_cast<int32_t>(p0);

    switch (m_kind) {
        case DragKind::Move: {
            for (const auto& selected : m_state.GetSelection(t))
                if (selected.get() != hit.moved && selected->GetSegment() && FindNode(*track, selected.get()))
                    m_held.push_back({selected, RefPtr<CEvent>(selected->Clone())});
            m_minShift = INT64_MIN;
            m_maxShift = INT64_MAX;
            for (const Held& h : m_held) {
                m_minShift = std::max<int64_t>(m_minShift, -static_cast<int64_t>(h.event->GetPosition()));
                m_maxShift = std::min<int64_t>(m_maxShift, static_cast<int64_t>(INT32_MAX) + 1 - OccupiedEnd(*h.event));
            }
            // Every event that stays put bounds the shift from one side: the
            // group keeps one frame clear of it, or stays where it is when it
            // is closer already.
            std::lock_guard lock(track->GetEvents().Lock());
            for (Node* n = track->GetEvents().GetHead(); n; n = n->GetNext()) {
                const CEvent* fixed = n->GetItem();
                if (!fixed->GetSegment()) continue;
                bool held = std::any_of(m_held.begin(), m_held.end(), [&](const Held& h) { return h.event.get() == fixed; });
                if (held) continue;
                for (const Held& h : m_held) {
                    const int64_t a = h.event->GetPosition();
                    const int64_t b = OccupiedEnd(*h.event);
                    if (OccupiedEnd(*fixed) <= a)
                        m_minShift = std::max<int64_t>(m_minShift, std::min<int64_t>(0, OccupiedEnd(*fixed) + 1 - a));
                    else if (fixed->GetPosition() >= b)
                        m_maxShift = std::min<int64_t>(m_maxShift, std::max<int64_t>(0, fixed->GetPosition() - 1 - b));
                }
            }
            m_maxShift = std::max<int64_t>(m_maxShift, 0);
            m_minShift = std::min<int64_t>(m_minShift, 0);
            break;
        }
        case DragKind::Start: {
            m_lowLimit = 0;
            for (Node* prev = node->GetPrev(); prev; prev = prev->GetPrev()) {
                if (!prev->GetItem()->GetSegment()) continue;
                m_lowLimit = std::max<int64_t>(0, std::min<int64_t>(p0, OccupiedEnd(*prev->GetItem()) + 1));
                break;
            }
            break;
        }
        case DragKind::End:
        case DragKind::Repeat: {
            m_edgeAtPress = static_cast<int32_t>(std::min<int64_t>(end0, INT32_MAX));
            m_highLimit = INT64_MAX;
            for (Node* next = node->GetNext(); next; next = next->GetNext()) {
                if (!next->GetItem()->GetSegment()) continue;
                m_highLimit = std::max<int64_t>(end0, next->GetItem()->GetPosition() - 1);
                break;
            }
            if (m_songLength) m_songFrames = m_songLength(hit.moved->GetSegment()->GetSegment()->GetSongKey());
            m_tail = RefPtr<CEvent>(hit.moved);
            break;
        }
        case DragKind::Tempo: {
            m_lowLimit = node->GetPrev() ? node->GetPrev()->GetItem()->GetPosition() + 1 : p0;
            m_highLimit = node->GetNext() ? node->GetNext()->GetItem()->GetPosition() - 1 : INT32_MAX;
            m_lowLimit = std::min(m_lowLimit, p0);
            m_highLimit = std::max(m_highLimit, p0);
            break;
        }
        case DragKind::None:
            break;
    }
    m_state.GetHistory().Group(true);
}

void EventDrag::MoveTo(int64_t position) {
    switch (m_kind) {
        case DragKind::Move: MoveGroup(position); break;
        case DragKind::Start: DragStart(position); break;
        case DragKind::End: DragEnd(position); break;
        case DragKind::Repeat: Repeat(position); break;
        case DragKind::Tempo: DragTempo(position); break;
        case DragKind::None: return;
    }
    m_state.MarkRepaint(m_track);
}

void EventDrag::MoveGroup(int64_t position) {
    const int64_t shift =
        std::clamp<int64_t>(position - m_held.front().copy->GetPosition(), m_minShift, m_maxShift);
    for (const Held& h : m_held)
        MoveEvent(Track(), h.event.get(), static_cast<int32_t>(h.copy->GetPosition() + shift));
}

void EventDrag::DragStart(int64_t position) {
    CEvent& event = *m_held.front().event;
    const CSegment& before = *m_held.front().copy->GetSegment()->GetSegment();
    const int64_t p0 = m_held.front().copy->GetPosition();
    const int64_t s0 = before.GetStart();
    const int64_t se = before.GetEnd();
    const double ratio = before.GetRatio();
    if (!(ratio > 0) || !std::isfinite(ratio)) return;
    // Rounded down, so the frame at the new position is the source frame that
    // plays there: a start-drag never reveals frames before the source's 0.
    auto newStart = [&](int64_t l) { return s0 + static_cast<int64_t>(std::floor((l - p0) / ratio)); };
    auto lengthAt = [&](int64_t l) { return static_cast<int64_t>((se - newStart(l)) * ratio); };
    auto valid = [&](int64_t l) {
        const int64_t start = newStart(l);
        return l >= m_lowLimit && start >= 0 && start < se && lengthAt(l) >= 1 &&
               SegmentFits(Track(), l, lengthAt(l), &event);
    };
    const int64_t target = std::clamp<int64_t>(position, 0, INT32_MAX);
    const int64_t l = valid(p0) ? FarthestValid(p0, target, valid) : p0;
    event.GetSegment()->GetSegment()->SetStart(static_cast<int32_t>(l == p0 ? s0 : newStart(l)));
    MoveEvent(Track(), &event, static_cast<int32_t>(l));
}

void EventDrag::DragEnd(int64_t position) {
    CEvent& event = *m_held.front().event;
    const CSegment& before = *m_held.front().copy->GetSegment()->GetSegment();
    const int64_t p0 = event.GetPosition();
    const int64_t s = before.GetStart();
    const int64_t se0 = before.GetEnd();
    const double ratio = before.GetRatio();
    if (!(ratio > 0) || !std::isfinite(ratio)) return;
    const int64_t end0 = p0 + before.GetTimelineLength();
    const int64_t songLimit = m_songFrames ? std::max(se0, *m_songFrames) : INT64_MAX;
    auto newEnd = [&](int64_t l) { return se0 + static_cast<int64_t>(std::trunc((l - end0) / ratio)); };
    auto lengthAt = [&](int64_t l) { return static_cast<int64_t>((newEnd(l) - s) * ratio); };
    auto valid = [&](int64_t l) {
        const int64_t end = newEnd(l);
        const int64_t length = lengthAt(l);
        return end >= s + 1 && end <= INT32_MAX && end <= songLimit && length >= 1 && p0 + length <= m_highLimit &&
               SegmentFits(Track(), p0, length, &event);
    };
    const int64_t target = std::clamp<int64_t>(position, 0, static_cast<int64_t>(INT32_MAX) + 1);
    const int64_t l = valid(end0) ? FarthestValid(end0, target, valid) : end0;
    event.GetSegment()->GetSegment()->SetEnd(static_cast<int32_t>(l == end0 ? se0 : newEnd(l)));
}

void EventDrag::Repeat(int64_t position) {
    CSetHistory& history = m_state.GetHistory();
    while (m_repeats < kMaxRepeats) {
        const int64_t length = TimelineLength(*m_tail);
        const int64_t tailEnd = m_tail->GetPosition() + length;
        if (length < 1 || position <= tailEnd) return;
        const int64_t at = tailEnd + 1;
        if (!SegmentFits(Track(), at, length)) return;
        RefPtr<CEvent> copy(m_held.front().event->Clone());
        copy->ClearPendingEdits();
        copy->SetPosition(static_cast<int32_t>(at));
        Track().AddEvent(copy.get());
        history.RecordInsert(m_track, copy.get());
        m_tail = copy;
        ++m_repeats;
    }
}

void EventDrag::DragTempo(int64_t position) {
    MoveEvent(Track(), m_held.front().event.get(),
              static_cast<int32_t>(std::clamp<int64_t>(position, m_lowLimit, m_highLimit)));
}

void EventDrag::End() {
    if (!IsActive()) return;
    CSetHistory& history = m_state.GetHistory();
    for (const Held& h : m_held)
        if (SerializeToBytes(*h.event) != SerializeToBytes(*h.copy)) history.RecordReplace(m_track, h.copy.get(), h.event.get());
    m_held.clear();
    m_tail.reset();
    m_kind = DragKind::None;
    history.Group(false);
    m_state.MarkRepaint(m_track);
}

}  // namespace vantor
