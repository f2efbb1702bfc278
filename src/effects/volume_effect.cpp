#include "volume_effect.h"

#include <cmath>

#include "effect_math.h"
#include "volume_processor.h"

namespace vantor::tonebank {

CVolumeEffect::CVolumeEffect() : EffectType("Volume", {"Level"}) {}

IEffectProcessor* CVolumeEffect::CreateProcessor() { return new CVolumeProcessor(this); }

double CVolumeEffect::GainOfLevel(double level) {
    double gain = std::pow(10.0, level * 0.025);
    return gain < 0.07 || !(gain == gain) ? 0.0 : gain;
}

int CVolumeEffect::ValueToPosition(const char* name, double v, int range) {
    if (!NameIs(name, "Level")) return 0;
    return FromTop(range, std::pow(10.0, v / 30) * range * 0.5);
}

double CVolumeEffect::PositionToValue(const char* name, int position, int range) {
    if (!NameIs(name, "Level") || range <= 0) return 0.0;
    return 30 * std::log10(2.0 * static_cast<double>(range - static_cast<int64_t>(position)) / range);
}

char* CVolumeEffect::FormatValue(const char* name, double v, char* buffer) {
    if (!NameIs(name, "Level")) return buffer;
    if (v < -45) return FormatText(buffer, "-INF dB");
    return FormatText(buffer, "%.1f dB", v);
}

}  // namespace vantor::tonebank
