#include "editing/mix_design_application.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "editing/history_group.h"
#include "editing/segment_placement.h"

namespace vantor {

namespace {

Refusal Refuse(const std::string& text, MessageIcon icon = MessageIcon::Error) {
    return {text, MixDesignApplication::kCaption, icon};
}

const CSegmentDesign* Primary(const CSetClip& clip) {
    const CSetClip::Designs* designs = clip.GetArray(clip.GetTag());
    if (!designs) return nullptr;
    for (int32_t i = 0; i < designs->GetCount(); ++i)
        if (designs->GetAt(i)->GetPositionOffset() == 0) return designs->GetAt(i);
    return nullptr;
}

struct Placement {
    int32_t track;
    int64_t position;
    RefPtr<CSegmentDesign> design;
};

}  // namespace

Result<MixDesignApplication::Area> MixDesignApplication::Locate(const CEvent& event, const CMixingProfile& design,
                                                               int32_t rate) {
    Area area;
    const CSetClip* clip = design.GetClip();
    const CSegmentDesign* primary = clip ? Primary(*clip) : nullptr;
    if (!primary || !event.GetSegment() || !(rate > 0)) return area;
    const CSegmentDesign& own = *event.GetSegment();
    const int64_t s = own.GetSegment()->GetStart();
    const int64_t u = primary->GetSegment()->GetStart();
    if (u < s) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "Unable to apply design. The primary segment in the set begins at %.0f s. To use\nthis design, "
                      "the primary segment must start on or before %.0f s.",
                      static_cast<double>(s) / rate, static_cast<double>(u) / rate);
        return Refuse(text);
    }
    const double ts = own.GetTempo();
    if (!(ts > 0) || !(design.GetTempo() > 0) || !(own.GetSegment()->GetRatio() > 0))
        return Refuse("The segment and the design need tempos above 0.");
    area.q = design.GetTempo() / ts;
    area.b = event.GetPosition() + static_cast<int64_t>(std::trunc(own.GetSegment()->GetRatio() * (u - s)));
    int64_t length = 0;
    for (int32_t k = 0; k < clip->GetCount(); ++k) {
        const CSetClip::Designs& designs = *clip->GetArray(k);
        for (int32_t i = 0; i < designs.GetCount(); ++i)
            length = std::max<int64_t>(length, static_cast<int64_t>(designs.GetAt(i)->GetPositionOffset()) +
                                                   designs.GetAt(i)->GetSegment()->GetTimelineLength());
    }
    area.end = area.b + static_cast<int64_t>(std::trunc(length * area.q));
    area.primaryStart = static_cast<int32_t>(u);
    area.hasPrimary = true;
    return area;
}

Result<AppliedDesign> MixDesignApplication::Apply(SetEditorState& state, const SegmentAt& selected,
                                                  const CMixingProfile& design) {
    AppliedDesign applied;
    if (!selected.event || !selected.event->GetSegment() || !state.IsAudioTrack(selected.track)) return applied;
    auto area = Locate(*selected.event, design, state.GetSampleRate());
    if (!area) return area.Error();
    if (!area->hasPrimary) return applied;
    const CSetClip& clip = *design.GetClip();
    CEvent* own = selected.event;
    const CSegment& segment = *own->GetSegment()->GetSegment();
    const bool removeOwn = segment.GetStart() == area->primaryStart;
    // The set segment ends at U - 1, never later than it ended.
    const int32_t newEnd = std::min(segment.GetEnd(), area->primaryStart - 1);
    const int64_t ownEnd = removeOwn ? own->GetPosition()
                                     : own->GetPosition() + static_cast<int64_t>(std::trunc(
                                                                (static_cast<double>(newEnd) - segment.GetStart()) *
                                                                segment.GetRatio()));

    // Any other segment within the area must be removed first.
    for (int32_t t = 1; t < state.GetTrackCount(); ++t) {
        for (auto* n = state.GetTrack(t)->GetEvents().GetHead(); n; n = n->GetNext()) {
            const CEvent* event = n->GetItem();
            if (event == own || !event->GetSegment()) continue;
            if (event->GetPosition() < area->end && OccupiedEnd(*event) > area->b)
                return Refuse("Unable to apply mixing design. There are other segments within the area\nthat must be "
                              "removed first.");
        }
    }

    // Where every design goes, checked against the tracks before anything changes.
    const double ts = own->GetSegment()->GetTempo();
    const int32_t tag = clip.GetTag();
    std::vector<Placement> placements;
    for (int32_t k = 0; k < clip.GetCount(); ++k) {
        int32_t target = k + 1;
        if (k == tag) target = selected.track;
        else if (k + 1 == selected.track) target = tag + 1;
        if (!state.IsAudioTrack(target)) {
            applied.tracksShort = true;
            continue;
        }
        const CSetClip::Designs& designs = *clip.GetArray(k);
        for (int32_t i = 0; i < designs.GetCount(); ++i) {
            RefPtr<CSegmentDesign> copy(designs.GetAt(i)->Clone());
            CSegment& part = *copy->GetSegment();
            part.SetRatio(part.GetRatio() * copy->GetTempo() / ts);
            copy->SetTempo(ts);
            const int64_t position = area->b + static_cast<int64_t>(std::trunc(copy->GetPositionOffset() * area->q));
            copy->SetPositionOffset(0);
            placements.push_back({target, position, copy});
        }
    }
    for (size_t i = 0; i < placements.size(); ++i) {
        const Placement& p = placements[i];
        const int64_t length = std::max<int64_t>(p.design->GetSegment()->GetTimelineLength(), 1);
        bool fits = p.position >= 0 && p.position + length <= INT32_MAX &&
                    SegmentFits(*state.GetTrack(p.track), p.position, length, own);
        // The selected segment keeps [position, its new end) on its track.
        if (fits && p.track == selected.track && !removeOwn)
            fits = p.position >= ownEnd || p.position + length <= own->GetPosition();
        for (size_t j = 0; fits && j < i; ++j) {
            const Placement& q = placements[j];
            const int64_t other = std::max<int64_t>(q.design->GetSegment()->GetTimelineLength(), 1);
            if (q.track == p.track && p.position < q.position + other && q.position < p.position + length) fits = false;
        }
        if (!fits) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "Unable to apply mixing design. A segment of the design would overlap another segment on "
                          "track %d.",
                          p.track);
            return Refuse(text);
        }
    }

    CSetHistory& history = state.GetHistory();
    HistoryGroup group(history);
    CTrack& track = *state.GetTrack(selected.track);
    if (removeOwn) {
        if (auto* node = FindNode(track, own)) {
            history.RecordRemove(selected.track, own);
            state.Deselect(selected.track, own);
            track.GetEvents().Remove(node);
        }
    } else {
        RefPtr<CEvent> before(own->Clone());
        RefPtr<CSegmentDesign> shortened(own->GetSegment()->Clone());
        shortened->GetSegment()->SetEnd(newEnd);
        own->SetSegment(shortened.get());
        history.RecordReplace(selected.track, before.get(), own);
    }
    state.MarkRepaint(selected.track);
    for (const Placement& p : placements) {
        if (InsertSegmentEvent(state.GetSet(), p.track, static_cast<int32_t>(p.position), p.design.get(), &history)) {
            ++applied.placed;
            state.MarkRepaint(p.track);
        }
    }
    state.GetSet().SetModified(true);
    return applied;
}

}  // namespace vantor
