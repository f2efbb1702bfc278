#include "editing/preset_range.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "editing/effect_levels.h"
#include "editing/history_group.h"
#include "engine/effect_manager_impl.h"

namespace vantor {

namespace {

// The part of a piece within [low, high], its levels taken along the
// effect's control; false when they do not meet.
bool Clip(const CurvePiece& piece, int64_t low, int64_t high, const EffectLevels& levels, CurvePiece& clipped) {
    const int64_t start = std::max(piece.start, low);
    const int64_t end = std::min(piece.end, high);
    if (start > end) return false;
    const double span = static_cast<double>(piece.end - piece.start);
    auto at = [&](int64_t frame) {
        return span > 0 ? levels.Between(piece.from, piece.to, static_cast<double>(frame - piece.start) / span)
                        : piece.from;
    };
    clipped = {start, end, at(start), at(end)};
    return true;
}

// The song frame a timeline frame of the event plays, as the renderer maps
// it: (trunc(start x ratio) + frames into the event) / ratio.
int32_t SongFrame(const CSegment& segment, int32_t eventPosition, int64_t frame) {
    const double ratio = segment.GetRatio();
    const double resampled = std::trunc(static_cast<double>(segment.GetStart()) * ratio) +
                             static_cast<double>(frame - eventPosition);
    const double song = std::trunc(resampled / ratio);
    return static_cast<int32_t>(std::clamp(song, 0.0, static_cast<double>(INT32_MAX)));
}

CEffectProfile* ProfileFor(CSegmentDesign& design, const CEffectProfile& like) {
    auto& profiles = design.GetEffectProfiles();
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        CEffectProfile* profile = profiles.GetAt(i);
        if (std::strcmp(profile->GetEffectName(), like.GetEffectName()) == 0 &&
            std::strcmp(profile->GetParameterName(), like.GetParameterName()) == 0)
            return profile;
    }
    auto created = MakeRef<CEffectProfile>();
    created->SetEffectName(like.GetEffectName());
    created->SetParameterName(like.GetParameterName());
    profiles.Add(created.get());
    return created.get();
}

// Takes [from, to] out of the curve: pieces inside go, pieces reaching over
// an end keep what lies outside, so the new pieces never overlap old ones.
void ClearSpan(CEffectProfile& profile, int64_t from, int64_t to, const EffectLevels& levels) {
    auto& curve = profile.GetCurve();
    std::vector<CurvePiece> kept;
    for (auto* n = curve.GetHead(); n;) {
        auto* next = n->GetNext();
        const CEffect& e = *n->GetItem();
        const CurvePiece piece{e.GetStart(), e.GetEnd(), e.GetStartLevel(), e.GetEndLevel()};
        if (piece.end >= from && piece.start <= to) {
            CurvePiece part;
            if (piece.start < from && Clip(piece, piece.start, from - 1, levels, part)) kept.push_back(part);
            if (piece.end > to && Clip(piece, to + 1, piece.end, levels, part)) kept.push_back(part);
            curve.Remove(n);
        }
        n = next;
    }
    for (const CurvePiece& piece : kept)
        profile.AddPiece(static_cast<int32_t>(piece.start), static_cast<int32_t>(piece.end), piece.from, piece.to);
}

}  // namespace

std::vector<CurvePiece> PresetRange::Stretch(const CEffectProfile& profile, int32_t a, int32_t b) {
    std::vector<CurvePiece> pieces;
    const double f = (static_cast<double>(b) - a) * 0.0001;
    auto& curve = profile.GetCurve();
    std::lock_guard lock(curve.Lock());
    int64_t previousEnd = 0;
    bool first = true;
    for (auto* n = curve.GetHead(); n; n = n->GetNext()) {
        const CEffect& piece = *n->GetItem();
        const int64_t start = first ? a + static_cast<int64_t>(std::trunc(f * piece.GetStart())) : previousEnd + 1;
        const int64_t end = a + static_cast<int64_t>(std::trunc(f * piece.GetEnd()));
        if (end < start) continue;
        pieces.push_back({start, end, piece.GetStartLevel(), piece.GetEndLevel()});
        previousEnd = end;
        first = false;
    }
    return pieces;
}

Result<int32_t> PresetRange::Apply(SetEditorState& state, CEffectManagerImpl* effects, int32_t track,
                                   const std::vector<RefPtr<CEffectProfile>>& profiles, int32_t a, int32_t b) {
    if (!state.IsAudioTrack(track))
        return Refusal{"Select the the track to use when adding the effect.", "Add Effect", MessageIcon::Error};
    if (a >= b)
        return Refusal{"Place the left marker at the point to start the effect,\nand the right marker at the point to "
                       "stop the effect.",
                       "Add Effect", MessageIcon::Error};
    struct Stretched {
        const CEffectProfile* profile;
        std::vector<CurvePiece> pieces;
        EffectLevels levels;
    };
    std::vector<Stretched> stretched;
    for (const auto& profile : profiles) {
        IEffect* type = effects ? effects->FindEffect(profile->GetEffectName()) : nullptr;
        stretched.push_back({profile.get(), Stretch(*profile, a, b), EffectLevels(type, profile->GetParameterName())});
    }

    CTrack& target = *state.GetTrack(track);
    HistoryGroup group(state.GetHistory());
    int32_t changed = 0;
    auto& events = target.GetEvents();
    std::lock_guard lock(events.Lock());
    for (auto* n = events.GetHead(); n; n = n->GetNext()) {
        CEvent* event = n->GetItem();
        const int64_t position = event->GetPosition();
        if (position >= b) break;
        const CSegmentDesign* design = event->GetSegment();
        if (!design) continue;
        const int64_t last = position + design->GetSegment()->GetTimelineLength() - 1;
        if (last < a || last < position) continue;

        RefPtr<CEvent> before(event->Clone());
        RefPtr<CSegmentDesign> changedDesign(design->Clone());
        const CSegment& segment = *changedDesign->GetSegment();
        bool touched = false;
        for (const Stretched& s : stretched) {
            std::vector<CurvePiece> parts;
            for (const CurvePiece& piece : s.pieces) {
                CurvePiece part;
                if (Clip(piece, position, last, s.levels, part)) parts.push_back(part);
            }
            if (parts.empty()) continue;
            CEffectProfile& into = *ProfileFor(*changedDesign, *s.profile);
            const int64_t from = SongFrame(segment, event->GetPosition(), parts.front().start);
            const int64_t to = SongFrame(segment, event->GetPosition(), parts.back().end);
            ClearSpan(into, from, to, s.levels);
            for (const CurvePiece& part : parts)
                into.AddPiece(SongFrame(segment, event->GetPosition(), part.start),
                              SongFrame(segment, event->GetPosition(), part.end), part.from, part.to);
            touched = true;
        }
        if (!touched) continue;
        event->SetSegment(changedDesign.get());
        state.GetHistory().RecordReplace(track, before.get(), event);
        ++changed;
    }
    if (changed > 0) {
        state.GetSet().SetModified(true);
        state.MarkRepaint(track);
    }
    return changed;
}

}  // namespace vantor
