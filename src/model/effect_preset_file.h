#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/array.h"
#include "model/effect_profile_preset.h"
#include "model/segment_design.h"

namespace vantor {

// The contents of the presets file "EFFECTS.PST": the user's waveforms, then
// the profile presets (segment designs whose effect profiles are the
// preset), each as an array record, no header.
struct EffectPresets {
    using Waveforms = CArray<CEffectProfilePreset>;
    using Profiles = CArray<CSegmentDesign>;

    EffectPresets();
    RefPtr<Waveforms> waveforms;
    RefPtr<Profiles> profiles;
    // False when the bytes were damaged or cut short: what could be read is
    // kept, and the file is never written over without keeping a copy.
    bool clean = true;

    // The profile preset of the name, or null.
    CSegmentDesign* FindProfile(const std::string& name) const;
};

// Suffix of the copy kept of a damaged presets file before it is rewritten.
inline constexpr const char* kDamagedPresetsSuffix = ".damaged";

EffectPresets EffectPresetsFromBytes(const uint8_t* data, size_t size);
std::vector<uint8_t> EffectPresetsToBytes(const EffectPresets& presets);

// A missing file gives two empty lists, clean.
EffectPresets ReadEffectPresets(const std::string& path);
// Rewrites the whole file through a temporary file and a rename. When the
// file as read was not clean, its bytes are first kept beside it with the
// damaged suffix; false (the file untouched) when that copy fails. After a
// successful write the presets count as clean, so the copy is made once.
bool WriteEffectPresets(EffectPresets& presets, const std::string& path);

}  // namespace vantor
