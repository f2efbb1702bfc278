#pragma once

#include <cstdint>
#include <vector>

#include "editing/set_editor_state.h"
#include "model/effect_profile.h"
#include "platform/result.h"

namespace vantor {

class CEffectManagerImpl;

// One piece of a curve, held apart from any profile: frames of whatever
// timeline it lies on, with the levels at its two ends.
struct CurvePiece {
    int64_t start = 0;
    int64_t end = 0;
    double from = 0.0;
    double to = 0.0;
};

// Effect profiles of a preset laid over a range of one audio track: their
// curves, given on the scale 0..9999, are stretched over the range, clipped
// to each segment that meets it and added to that segment's design, in the
// song frames the track renderer reads. Every changed event is recorded as a
// replace, all in one history group, so one Undo takes the whole range back.
class PresetRange {
public:
    // The pieces stretched onto [a, b]: with f = (b - a) x 0.0001 the first
    // piece starts at a + trunc(f x its start), every later one a frame after
    // the previous end, and each ends at a + trunc(f x its end). A piece left
    // with no frame of its own (a range shorter than the curve has pieces) is
    // dropped.
    static std::vector<CurvePiece> Stretch(const CEffectProfile& profile, int32_t a, int32_t b);

    // Applies the profiles in order over [a, b] of the track. Returns the
    // number of segment events changed; refused when the track is not an
    // audio track or the range is empty.
    static Result<int32_t> Apply(SetEditorState& state, CEffectManagerImpl* effects, int32_t track,
                                 const std::vector<RefPtr<CEffectProfile>>& profiles, int32_t a, int32_t b);
};

}  // namespace vantor
