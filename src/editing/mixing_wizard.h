#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "editing/event_drag.h"
#include "editing/set_editor_state.h"
#include "platform/result.h"

namespace vantor {

// The fields of "Mixing Helper" when OK is pressed: the two cursors in
// seconds of each song's resampled time, song 2's fine-tuned ratio, how the
// songs join, and the fade lengths in bars at the first segment's tempo.
struct MixingFields {
    enum class Join { None, Cut, Mix };

    double cursor1 = 0.0;
    double cursor2 = 0.0;
    // 0 keeps the second segment's own ratio.
    double ratio2 = 0.0;
    bool markWithTempoChange = false;
    Join join = Join::Mix;
    bool fadesEnabled = false;
    int32_t fadeInBars = 0;
    int32_t holdBars = 0;
    int32_t fadeOutBars = 0;
};

// Where the four fade presets of a mix go on the timeline: "Fade In" over
// [d, h - 1] and "Hold 2" over [h, i - 1] on the second segment's track,
// "Hold 1" over [h, i - 1] and "Fade Out" over [i, e - 1] on the first's.
struct FadeRanges {
    int64_t d = 0;
    int64_t h = 0;
    int64_t i = 0;
    int64_t e = 0;
};

// The mixing wizard's OK without its window: joins a new (second) segment to
// a segment already in the set (the first) by a cut or by a mix, optionally
// marking the mixing point with a tempo change at the first segment's design
// tempo. Everything is checked before anything changes: a refused cut or mix
// leaves the set as it was, tempo track included; no segment comes to
// overlap another or to read past the end of its song. Every change is
// recorded, all in one history group, so one Undo takes the whole mix back.
class MixingWizard {
public:
    static constexpr const char* kCaption = "Mixing Wizard";
    // Tempo changes this close to the mixing point give way to the new one.
    static constexpr int32_t kTempoClearance = 22000;

    // Applies the named fade preset over [a, b] of an audio track.
    using PresetApplier = std::function<Status(const std::string& preset, int32_t track, int32_t a, int32_t b)>;

    MixingWizard(SetEditorState& state, SongLengthLookup songLengths, SegmentAt first, SegmentAt second)
        : m_state(state), m_songLengths(std::move(songLengths)), m_first(first), m_second(second) {}

    // The "R" slider, 0 to 1000 from 500: at most 1 % either way.
    static double FineTunedRatio(double ratio, int sliderPosition);
    // Bars of four beats at the tempo: trunc(240 x bars x rate / tempo).
    static int64_t BarFrames(int32_t bars, int32_t rate, double tempo);

    // The set position song 1's cursor marks:
    // trunc(rate x c1) + p1 - trunc(r1 x s1).
    int64_t MixingPoint(double cursor1) const;
    FadeRanges Fades(const MixingFields& fields) const;

    // OK. The mixing point when one was marked, else -1; a refusal (with
    // its message) changes nothing.
    Result<int32_t> Ok(const MixingFields& fields, const PresetApplier& applyPreset);

private:
    struct Plan;
    Status Check(const MixingFields& fields, Plan& plan) const;
    Status CheckJoin(const MixingFields& fields, Plan& plan) const;

    SetEditorState& m_state;
    SongLengthLookup m_songLengths;
    SegmentAt m_first;
    SegmentAt m_second;
};

}  // namespace vantor
