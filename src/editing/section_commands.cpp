#include "editing/section_commands.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <set>

#include "editing/history_group.h"
#include "editing/segment_placement.h"
#include "model/set_clip.h"
#include "model/set_clipboard.h"

namespace vantor {

namespace {

constexpr const char* kFadeCaption = "Fade Tempo";

Refusal SectionOrder() {
    return {"Right marker is before the left marker.\nPosition left marker at the beginning of the section, and the "
            "right marker at the end of the section.",
            "Copy Section", MessageIcon::Error};
}

Refusal InvalidSteps() { return {"Invalid number of steps", kFadeCaption, MessageIcon::Error}; }
Refusal InvalidEndTempo() { return {"Invalid end tempo.", kFadeCaption, MessageIcon::Error}; }

Refusal PastTimeline(const char* caption) {
    return {"The events would move past the end of the timeline.", caption, MessageIcon::Error};
}

// The track's events in list order, each held, so that the list may change
// while they are visited.
std::vector<RefPtr<CEvent>> Snapshot(const CTrack& track) {
    std::vector<RefPtr<CEvent>> events;
    auto& list = track.GetEvents();
    std::lock_guard lock(list.Lock());
    for (auto* n = list.GetHead(); n; n = n->GetNext()) events.emplace_back(n->GetItem());
    return events;
}

int64_t TimelineLength(const CEvent& event) {
    return event.GetSegment() ? event.GetSegment()->GetSegment()->GetTimelineLength() : 0;
}

int64_t LengthAt(const CSegment& segment, double ratio) {
    return static_cast<int64_t>(static_cast<double>(segment.GetSourceLength()) * ratio);
}

std::string Format(const char* format, const char* name, double value) {
    char text[256];
    std::snprintf(text, sizeof text, format, name, value);
    return text;
}

}  // namespace

void SetSectionCommands::ApplyChanges(int32_t trackIndex, std::vector<Change>& changes) {
    CTrack* track = m_state.GetTrack(trackIndex);
    if (!track || changes.empty()) return;
    CSetHistory& history = m_state.GetHistory();
    std::multiset<int32_t> occupied;
    for (const auto& event : Snapshot(*track)) occupied.insert(event->GetPosition());
    std::sort(changes.begin(), changes.end(),
              [](const Change& x, const Change& y) { return x.event->GetPosition() < y.event->GetPosition(); });
    // Order-preserving moves always leave one change whose target is free:
    // moves to the right go from the last event, moves to the left from the
    // first; alternating passes find them.
    bool backwards = true;
    while (!changes.empty()) {
        bool progressed = false;
        for (size_t i = 0; i < changes.size();) {
            const size_t k = backwards ? changes.size() - 1 - i : i;
            Change& change = changes[k];
            CEvent* event = change.event.get();
            const int32_t from = event->GetPosition();
            if (change.position != from && occupied.count(change.position)) {
                ++i;
                continue;
            }
            RefPtr<CEvent> copy(event->Clone());
            if (CSegmentDesign* design = event->GetSegment()) {
                if (change.ratio > 0) design->GetSegment()->SetRatio(change.ratio);
                if (change.tempo > 0) design->SetTempo(change.tempo);
            }
            if (MoveEvent(*track, event, change.position)) {
                history.RecordReplace(trackIndex, copy.get(), event);
                occupied.erase(occupied.find(from));
                occupied.insert(change.position);
            }
            changes.erase(changes.begin() + static_cast<std::ptrdiff_t>(k));
            progressed = true;
        }
        if (!progressed) break;
        backwards = !backwards;
    }
    m_state.MarkRepaint(trackIndex);
}

Status SetSectionCommands::SplitTempo() {
    const int32_t p = m_state.GetLeftPosition();
    const Refusal boundary{"Tempo can not be split on a tempo boundary.", "Split Tempo", MessageIcon::Error};
    if (p == 0) return boundary;
    CTrack* track = m_state.GetTrack(0);
    if (!track) return boundary;
    RefPtr<CEvent> before;
    for (const auto& event : Snapshot(*track)) {
        if (event->GetPosition() == p) return boundary;
        if (event->GetPosition() < p && event->GetTempoChange()) before = event;
    }
    // The tempo before and after p stays the same: the new change only lets
    // a later edit change the tempo from p on.
    RefPtr<CEvent> clone(before ? before->Clone() : new CEvent());
    if (!before) {
        clone->SetTempoChange(new CTempoChange(m_state.TempoAt(p)));
        clone->SetColour(kTempoEventColour);
    }
    clone->ClearPendingEdits();
    clone->SetPosition(p);
    track->AddEvent(clone.get());
    m_state.GetHistory().RecordInsert(0, clone.get());
    m_state.MarkRepaint(0);
    return {};
}

Status SetSectionCommands::InsertBlankSpace() {
    const int32_t c = m_state.GetLeftPosition();
    const int32_t right = m_state.GetRightPosition();
    // A right marker before the left one would move events left, below the
    // position they were inserted at, or below 0.
    if (right < c) return SectionOrder();
    const int32_t d = right - c;
    if (d == 0) return {};

    std::vector<std::vector<Change>> plans(static_cast<size_t>(m_state.GetTrackCount()));
    for (int32_t t = 0; t < m_state.GetTrackCount(); ++t) {
        for (const auto& event : Snapshot(*m_state.GetTrack(t))) {
            const int32_t position = event->GetPosition();
            if (position < c || (t == 0 && position == 0)) continue;
            if (static_cast<int64_t>(position) + std::max<int64_t>(TimelineLength(*event), 1) + d - 1 > INT32_MAX)
                return PastTimeline("Insert Blank Space");
            plans[static_cast<size_t>(t)].push_back({event, position + d});
        }
    }
    HistoryGroup group(m_state.GetHistory());
    for (int32_t t = 0; t < m_state.GetTrackCount(); ++t) {
        ApplyChanges(t, plans[static_cast<size_t>(t)]);
        m_state.MarkRepaint(t);
    }
    return {};
}

Status SetSectionCommands::EraseSection(const std::function<bool()>& shiftLeft) {
    const int32_t a = m_state.GetLeftPosition();
    const int32_t c = m_state.GetRightPosition();
    if (a >= c) return SectionOrder();
    CSetHistory& history = m_state.GetHistory();
    HistoryGroup group(history);
    CMusicSet& set = m_state.GetSet();

    auto remove = [&](int32_t t, CEvent* event) {
        CTrack& track = *set.GetTrack(t);
        if (auto* node = FindNode(track, event)) {
            history.RecordRemove(t, event);
            m_state.Deselect(t, event);
            track.GetEvents().Remove(node);
        }
    };

    // The tempo change at 0 stays: a set always has a tempo from its start.
    for (const auto& event : Snapshot(*set.GetTrack(0))) {
        const int32_t position = event->GetPosition();
        if (position >= a && position <= c && position != 0) remove(0, event.get());
    }

    for (int32_t t = 1; t < m_state.GetTrackCount(); ++t) {
        CTrack& track = *set.GetTrack(t);
        for (const auto& held : Snapshot(track)) {
            CEvent* event = held.get();
            if (!event->GetSegment()) continue;
            CSegment& segment = *event->GetSegment()->GetSegment();
            const double ratio = segment.GetRatio();
            const int64_t d = event->GetPosition();
            const int64_t e = d + segment.GetTimelineLength();
            if (e < a) continue;
            if (d >= c) break;
            if (!(ratio > 0)) continue;
            RefPtr<CEvent> copy(event->Clone());
            if (d < a) {
                RefPtr<CEvent> tail;
                if (e >= c) {
                    tail = RefPtr<CEvent>(event->Clone());
                    tail->ClearPendingEdits();
                    CSegment& rest = *tail->GetSegment()->GetSegment();
                    rest.SetStart(rest.GetStart() + static_cast<int32_t>((c - d) / ratio));
                    tail->SetPosition(c);
                    if (rest.GetTimelineLength() < 1) tail.reset();
                }
                const int32_t headEnd = segment.GetEnd() - static_cast<int32_t>((e - a + 1) / ratio);
                if (static_cast<int64_t>((headEnd - segment.GetStart()) * ratio) < 1) {
                    remove(t, event);  // nothing of it is left before the section
                } else {
                    segment.SetEnd(headEnd);
                    history.RecordReplace(t, copy.get(), event);
                }
                if (tail) {
                    track.AddEvent(tail.get());
                    history.RecordInsert(t, tail.get());
                }
            } else if (e >= c) {
                const int32_t headStart = segment.GetStart() + static_cast<int32_t>((c - d) / ratio);
                if (static_cast<int64_t>((segment.GetEnd() - headStart) * ratio) < 1) {
                    remove(t, event);  // it ended at the section's end
                } else {
                    segment.SetStart(headStart);
                    MoveEvent(track, event, c);
                    history.RecordReplace(t, copy.get(), event);
                }
            } else {
                remove(t, event);
            }
        }
        m_state.MarkRepaint(t);
    }

    if (shiftLeft && shiftLeft()) {
        const int32_t width = c - a;
        for (int32_t t = 0; t < m_state.GetTrackCount(); ++t) {
            std::vector<Change> moves;
            for (const auto& event : Snapshot(*set.GetTrack(t))) {
                const int32_t position = event->GetPosition();
                if (position < a || (t == 0 && position == 0)) continue;
                moves.push_back({event, std::max(a, position - width)});
            }
            ApplyChanges(t, moves);
        }
    }
    m_state.MarkAllRepaint();
    return {};
}

void SetSectionCommands::BuildClip(int32_t a, int32_t b, CSetClip& clip) const {
    clip.SetCount(std::max(0, m_state.GetTrackCount() - 1));
    for (int32_t t = 1; t < m_state.GetTrackCount(); ++t) {
        for (const auto& event : Snapshot(*m_state.GetTrack(t))) {
            if (!event->GetSegment()) continue;
            const CSegment& source = *event->GetSegment()->GetSegment();
            const double ratio = source.GetRatio();
            const int64_t c = event->GetPosition();
            const int64_t d = c + source.GetTimelineLength();
            const bool taken = (a <= d && d < b) || (c < a && d >= b) || (a <= c && c < b);
            if (!taken) {
                if (c >= b) break;
                continue;
            }
            if (!(ratio > 0)) continue;
            RefPtr<CSegmentDesign> design(event->GetSegment()->Clone());
            CSegment& part = *design->GetSegment();
            int64_t s = c;
            if (c < a) {
                part.SetStart(part.GetStart() + static_cast<int32_t>((a - c) / ratio));
                s = a;
            }
            if (b < d) part.SetEnd(source.GetEnd() - static_cast<int32_t>((d - b) / ratio));
            // A segment that only touches a border leaves nothing inside.
            if (part.GetTimelineLength() < 1) continue;
            design->SetPositionOffset(static_cast<int32_t>(s - a));
            clip.GetArray(t - 1)->Add(design.get());
        }
    }
}

Status SetSectionCommands::CopySection() {
    const int32_t a = m_state.GetLeftPosition();
    const int32_t b = m_state.GetRightPosition();
    if (a >= b) return SectionOrder();
    CSetClip clip;
    BuildClip(a, b, clip);
    if (!PutOnClipboard(clip, kSetClipFormat))
        return Refusal{"The set section could not be put on the clipboard.", "Copy Section", MessageIcon::Error};
    return {};
}

Status SetSectionCommands::CutSection(const std::function<bool()>& shiftLeft) {
    if (Status copied = CopySection(); !copied) return copied;
    return EraseSection(shiftLeft);
}

Result<SetSectionCommands::PasteReport> SetSectionCommands::PasteSection(const std::function<bool()>& keepGoing) {
    CSetClip clip;
    if (!ReadFromClipboard(kSetClipFormat, clip))
        return Refusal{"The clipboard holds no set section to paste.", "Paste Set Section", MessageIcon::Information};
    const int64_t base = m_state.GetLeftPosition();
    const int32_t audioTracks = std::max(0, m_state.GetTrackCount() - 1);
    PasteReport report;
    HistoryGroup group(m_state.GetHistory());
    bool stopped = false;
    for (int32_t k = 0; k < clip.GetCount() && k < audioTracks && !stopped; ++k) {
        const CSetClip::Designs& designs = *clip.GetArray(k);
        for (int32_t i = 0; i < designs.GetCount(); ++i) {
            const int64_t position = base + designs.GetAt(i)->GetPositionOffset();
            RefPtr<CSegmentDesign> design(designs.GetAt(i)->Clone());
            design->SetPositionOffset(0);
            const bool inside = position >= 0 && position <= INT32_MAX;
            if (inside && InsertSegmentEvent(m_state.GetSet(), k + 1, static_cast<int32_t>(position), design.get(),
                                             &m_state.GetHistory())) {
                ++report.pasted;
            } else if (!keepGoing || !keepGoing()) {
                stopped = true;
                break;
            }
        }
        m_state.MarkRepaint(k + 1);
    }
    report.moreTracks = !stopped && clip.GetCount() > audioTracks;
    m_state.MarkAllRepaint();
    return report;
}

Result<double> SetSectionCommands::FadeTempoStart() const {
    if (!(m_state.GetLeftMarker() < m_state.GetRightMarker()))
        return Refusal{"Before selecting this option, position the left marker where the tempo fade should begin and "
                       "place the right marker where tempo fade should stop.",
                       kFadeCaption, MessageIcon::Error};
    const CEvent* start = m_state.EventAt(0, m_state.GetLeftPosition());
    if (!start || !start->GetTempoChange())
        return Refusal{"No segments intersecting the left cursor.", kFadeCaption, MessageIcon::Error};
    return start->GetTempoChange()->GetTempo();
}

bool SetSectionCommands::ScaleAfter(int32_t g, double factor, double tempo) {
    const int32_t fadeEnd = m_state.GetRightPosition();
    for (int32_t t = 0; t < m_state.GetTrackCount(); ++t) {
        std::vector<Change> moves;
        int64_t floor = g + 1;  // the next free position in this track
        for (const auto& event : Snapshot(*m_state.GetTrack(t))) {
            const int32_t position = event->GetPosition();
            if (position <= g) {
                if (event->GetSegment()) floor = std::max<int64_t>(floor, OccupiedEnd(*event));
                continue;
            }
            int64_t moved = g + static_cast<int64_t>((position - g) * factor);
            Change change{event, 0};
            int64_t length = 1;
            if (CSegmentDesign* design = event->GetSegment()) {
                change.ratio = design->GetSegment()->GetRatio() * design->GetTempo() / tempo;
                change.tempo = tempo;
                if (!std::isfinite(change.ratio) || !(change.ratio > 0)) return false;
                length = std::max<int64_t>(1, LengthAt(*design->GetSegment(), change.ratio));
            } else if (t == 0) {
                // Tempo changes after the fade never move into it.
                moved = std::max<int64_t>(moved, fadeEnd + 1);
            }
            // Truncation must not let an event reach back into the one
            // before it.
            moved = std::max(moved, floor);
            if (moved + length - 1 > INT32_MAX) return false;
            change.position = static_cast<int32_t>(moved);
            floor = moved + length;
            moves.push_back(change);
        }
        ApplyChanges(t, moves);
    }
    return true;
}

Status SetSectionCommands::FadeTempo(double endTempo, int32_t steps) {
    auto start = FadeTempoStart();
    if (!start) return start.Error();
    if (steps < 1) return InvalidSteps();
    if (!std::isfinite(endTempo) || !(endTempo > 0)) return InvalidEndTempo();
    const int32_t b = m_state.GetLeftPosition();
    const int32_t e = m_state.GetRightPosition();
    const int64_t step = (static_cast<int64_t>(e) - b) / steps;
    // A step of 0 frames would put every tempo change on the same position.
    if (step < 1) return InvalidSteps();
    const double t0 = start.Value();
    const double dT = (endTempo - t0) / steps;

    CSetHistory& history = m_state.GetHistory();
    CMusicSet& set = m_state.GetSet();
    const int32_t recordsBefore = history.GetRecords().GetCount();
    bool failed = false;
    {
        HistoryGroup group(history);
        CTrack& tempoTrack = *set.GetTrack(0);
        for (const auto& event : Snapshot(tempoTrack)) {
            if (event->GetPosition() < b || event->GetPosition() > e) continue;
            if (auto* node = FindNode(tempoTrack, event.get())) {
                history.RecordRemove(0, event.get());
                m_state.Deselect(0, event.get());
                tempoTrack.GetEvents().Remove(node);
            }
        }
        double previousTempo = t0;
        for (int32_t k = 0; k <= steps && !failed; ++k) {
            const int32_t g = static_cast<int32_t>(b + k * step);
            const double tempo = k == steps ? endTempo : t0 + k * dT;
            auto change = MakeRef<CEvent>();
            change->SetTempoChange(new CTempoChange(tempo));
            change->SetColour(kTempoEventColour);
            change->SetPosition(g);
            tempoTrack.AddEvent(change.get());
            history.RecordInsert(0, change.get());

            // Without a segment at g the later events scale as a segment
            // that played on from the step before would have them scale.
            double s = previousTempo;
            for (const SegmentAt& at : m_state.SegmentsAt(g)) {
                CEvent* part = at.event;
                if (std::abs(static_cast<int64_t>(part->GetPosition()) - g) > kFadeSnapFrames &&
                    vantor::SplitSegment(set, history, at.track, part, g)) {
                    part = nullptr;
                    for (const auto& candidate : Snapshot(*set.GetTrack(at.track)))
                        if (candidate->GetPosition() == g && candidate->GetSegment()) part = candidate.get();
                    if (!part) continue;
                }
                CSegmentDesign& design = *part->GetSegment();
                const double designTempo = design.GetTempo();
                const double ratio = design.GetSegment()->GetRatio() * designTempo / tempo;
                if (!std::isfinite(ratio) || !(ratio > 0)) continue;
                RefPtr<CEvent> copy(part->Clone());
                design.GetSegment()->SetRatio(ratio);
                design.SetTempo(tempo);
                history.RecordReplace(at.track, copy.get(), part);
                if (designTempo > 0) s = designTempo;
            }
            failed = !ScaleAfter(g, s / tempo, tempo);
            previousTempo = tempo;
        }
    }
    if (failed) {
        if (history.GetRecords().GetCount() > recordsBefore) history.Undo();
        m_state.MarkAllRepaint();
        return PastTimeline(kFadeCaption);
    }
    m_state.MarkAllRepaint();
    return {};
}

Status SetSectionCommands::Resample(const std::vector<std::pair<int32_t, Change>>& changes, const char* caption) {
    // Every change is checked before the first is made.
    for (const auto& [t, change] : changes) {
        const CEvent& event = *change.event;
        const CSegment& segment = *event.GetSegment()->GetSegment();
        const char* name = event.GetSegment()->GetName();
        if (!std::isfinite(change.ratio) || change.ratio < CSegment::kMinRatio || change.ratio > CSegment::kMaxRatio)
            return Refusal{Format("The segment \"%s\" can not play at a ratio of %.5f; ratios lie between 0.25 and 4.",
                                  name, change.ratio),
                           caption, MessageIcon::Error};
        const int64_t end = event.GetPosition() + std::max<int64_t>(1, LengthAt(segment, change.ratio));
        // The next segment may change too, but its position does not.
        const CTrack& track = *m_state.GetTrack(t);
        bool next = false;
        for (const auto& other : Snapshot(track)) {
            if (next && other->GetSegment()) {
                if (end > other->GetPosition())
                    return Refusal{std::string("The segment \"") + name + "\" would overlap the segment after it.",
                                   caption, MessageIcon::Error};
                break;
            }
            if (other.get() == &event) next = true;
        }
        if (end - 1 > INT32_MAX) return PastTimeline(caption);
    }
    CSetHistory& history = m_state.GetHistory();
    for (const auto& [t, change] : changes) {
        CEvent* event = change.event.get();
        RefPtr<CEvent> copy(event->Clone());
        event->GetSegment()->GetSegment()->SetRatio(change.ratio);
        if (change.tempo > 0) event->GetSegment()->SetTempo(change.tempo);
        history.RecordReplace(t, copy.get(), event);
        m_state.MarkRepaint(t);
    }
    return {};
}

namespace {

Refusal ZeroTempo(const char* caption) {
    return {"Segments can not be adjusted to a tempo of 0.", caption, MessageIcon::Error};
}

}  // namespace

Status SetSectionCommands::AdjustToTempo() {
    std::vector<std::pair<int32_t, Change>> changes;
    for (int32_t t = 1; t < m_state.GetTrackCount(); ++t) {
        for (const auto& event : m_state.GetSelection(t)) {
            if (!event->GetSegment() || !FindNode(*m_state.GetTrack(t), event.get())) continue;
            const double tempo = m_state.TempoAt(event->GetPosition());
            const double designTempo = event->GetSegment()->GetTempo();
            if (!std::isfinite(tempo) || !(tempo > 0)) return ZeroTempo("Adjust to Tempo");
            if (tempo == designTempo) continue;
            const double ratio = designTempo * event->GetSegment()->GetSegment()->GetRatio() / tempo;
            changes.push_back({t, Change{event, event->GetPosition(), ratio, tempo}});
        }
    }
    return Resample(changes, "Adjust to Tempo");
}

Status SetSectionCommands::AdjustAll() {
    CEvent* current = m_state.GetCurrentEvent(0);
    CTrack* tempoTrack = m_state.GetTrack(0);
    if (!current || !current->GetTempoChange() || !tempoTrack) return {};
    auto* node = FindNode(*tempoTrack, current);
    if (!node) return {};
    const int32_t from = current->GetPosition();
    const std::optional<int32_t> to =
        node->GetNext() ? std::optional<int32_t>(node->GetNext()->GetItem()->GetPosition()) : std::nullopt;
    std::vector<std::pair<int32_t, Change>> changes;
    for (int32_t t = 1; t < m_state.GetTrackCount(); ++t) {
        for (const auto& event : Snapshot(*m_state.GetTrack(t))) {
            const int32_t position = event->GetPosition();
            if (position < from || !event->GetSegment()) continue;
            if (to && position > *to) break;
            const double tempo = m_state.TempoAt(position);
            const double designTempo = event->GetSegment()->GetTempo();
            if (!std::isfinite(tempo) || !(tempo > 0)) return ZeroTempo("Adjust to Tempo");
            if (tempo == designTempo) continue;
            const double ratio = designTempo * event->GetSegment()->GetSegment()->GetRatio() / tempo;
            changes.push_back({t, Change{event, position, ratio, tempo}});
        }
    }
    return Resample(changes, "Adjust to Tempo");
}

Status SetSectionCommands::NudgeSpeed(double step) {
    if (!std::isfinite(step)) return {};
    std::vector<std::pair<int32_t, Change>> changes;
    for (int32_t t = 1; t < m_state.GetTrackCount(); ++t) {
        for (const auto& event : m_state.GetSelection(t)) {
            if (!event->GetSegment() || !FindNode(*m_state.GetTrack(t), event.get())) continue;
            changes.push_back(
                {t, Change{event, event->GetPosition(), event->GetSegment()->GetSegment()->GetRatio() + step, 0.0}});
        }
    }
    if (!changes.empty()) return Resample(changes, "Speed Nudge");

    CEvent* current = m_state.GetCurrentEvent(0);
    if (!current || !current->GetTempoChange() || !FindNode(*m_state.GetTrack(0), current)) return {};
    const double tempo = current->GetTempoChange()->GetTempo() + 100.0 * step;
    if (!std::isfinite(tempo) || !(tempo > 0))
        return Refusal{"The tempo can not fall to 0.", "Speed Nudge", MessageIcon::Error};
    // Recorded like every other change, so that Undo and Commit Changes see it.
    RefPtr<CEvent> copy(current->Clone());
    current->GetTempoChange()->SetTempo(tempo);
    m_state.GetHistory().RecordReplace(0, copy.get(), current);
    m_state.MarkRepaint(0);
    return {};
}

}  // namespace vantor
