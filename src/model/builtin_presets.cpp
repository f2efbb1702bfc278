#include "model/builtin_presets.h"

#include <cmath>
#include <limits>

namespace vantor {

namespace {

// The exponent that bends the two log shapes.
constexpr double kLogBend = 0.43;

RefPtr<CEffectProfilePreset> Shape(const char* name) {
    auto shape = MakeRef<CEffectProfilePreset>();
    shape->SetName(name);
    return shape;
}

// Nine pieces over the scale: piece i from trunc(10000 i / 9) to the next
// start less one.
int32_t NinthStart(int i) { return static_cast<int32_t>(std::trunc(10000.0 * i / 9)); }

RefPtr<CSegmentDesign> Fade(const char* name, double from, double to) {
    auto preset = MakeRef<CSegmentDesign>();
    preset->SetName(name);
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName("Volume");
    profile->SetParameterName("Level");
    profile->AddPiece(0, 9999, from, to);
    preset->GetEffectProfiles().Add(profile.get());
    return preset;
}

}  // namespace

std::vector<RefPtr<CEffectProfilePreset>> BuiltInPresets::Waveforms() {
    std::vector<RefPtr<CEffectProfilePreset>> shapes;
    auto flat = Shape("Flat");
    flat->GetProfile().AddPiece(0, 9999, 0.5, 0.5);
    shapes.push_back(flat);
    auto linear = Shape("Linear");
    linear->GetProfile().AddPiece(0, 9999, 0.0, 0.5);
    shapes.push_back(linear);
    auto fast = Shape("Fast Log");
    for (int i = 0; i < 9; ++i)
        fast->GetProfile().AddPiece(NinthStart(i), NinthStart(i + 1) - 1, 0.5 * std::pow(std::log10(i + 1.0), kLogBend),
                                    0.5 * std::pow(std::log10(i + 2.0), kLogBend));
    shapes.push_back(fast);
    auto slow = Shape("Slow Log");
    for (int j = 0; j < 9; ++j)
        slow->GetProfile().AddPiece(NinthStart(j), NinthStart(j + 1) - 1,
                                    0.5 * (1 - std::pow(std::log10(10.0 - j), kLogBend)),
                                    0.5 * (1 - std::pow(std::log10(9.0 - j), kLogBend)));
    shapes.push_back(slow);
    return shapes;
}

bool BuiltInPresets::IsWaveformName(const std::string& name) {
    return name == "Linear" || name == "Fast Log" || name == "Slow Log" || name == "Flat";
}

const std::vector<std::string>& BuiltInPresets::ReservedProfileNames() {
    static const std::vector<std::string> names{"Fade In", "Fade Out", "Hold 1", "Hold 2"};
    return names;
}

bool BuiltInPresets::IsReservedProfileName(const std::string& name) {
    for (const std::string& reserved : ReservedProfileNames())
        if (name == reserved) return true;
    return false;
}

std::vector<RefPtr<CSegmentDesign>> BuiltInPresets::ReservedFades() {
    // Volume levels are decibels: 0 is full level, -INF silence.
    const double silence = -std::numeric_limits<double>::infinity();
    return {Fade("Fade In", silence, 0.0), Fade("Fade Out", 0.0, silence), Fade("Hold 1", 0.0, 0.0),
            Fade("Hold 2", 0.0, 0.0)};
}

}  // namespace vantor
