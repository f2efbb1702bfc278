#pragma once

#include <string>
#include <vector>

#include "model/effect_profile_preset.h"
#include "model/segment_design.h"

namespace vantor {

// The presets the program knows by itself: the four waveform shapes built
// every time the effects dialog opens (never stored), the names of the
// profile presets the mixing wizard fades with, and the contents the
// program delivers for those four.
class BuiltInPresets {
public:
    // "Flat", "Linear", "Fast Log", "Slow Log", in that order; curves on the
    // 0..9999 scale with levels as fractions of the parameter's scale.
    static std::vector<RefPtr<CEffectProfilePreset>> Waveforms();
    static bool IsWaveformName(const std::string& name);
    // "Fade In", "Fade Out", "Hold 1", "Hold 2".
    static const std::vector<std::string>& ReservedProfileNames();
    static bool IsReservedProfileName(const std::string& name);
    // The delivered fades: one Volume / Level profile each, a linear gain
    // ramp from silence up to full level for "Fade In", down for "Fade Out",
    // and full level held for the two holds.
    static std::vector<RefPtr<CSegmentDesign>> ReservedFades();
};

}  // namespace vantor
