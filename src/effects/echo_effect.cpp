#include "echo_effect.h"

#include "echo_processor.h"
#include "effect_math.h"

namespace vantor::tonebank {

CEchoEffect::CEchoEffect(bool flanger)
    : EffectType(flanger ? "Flanger" : "Echo", {"Decay", "Delay"}), m_flanger(flanger) {}

IEffectProcessor* CEchoEffect::CreateProcessor() { return new CEchoProcessor(m_flanger); }

int CEchoEffect::ValueToPosition(const char* name, double v, int range) {
    if (NameIs(name, "Decay")) return FromTop(range, v * 1.2499999813735487 * range);
    if (NameIs(name, "Delay"))
        return FromTop(range, m_flanger ? range * v * 200.00000447034847 : range * v * 0.3333333333333333);
    return 0;
}

double CEchoEffect::PositionToValue(const char* name, int position, int range) {
    if (range <= 0) return 0.0;
    double share = static_cast<double>(range - static_cast<int64_t>(position)) / range;
    if (NameIs(name, "Decay")) return share * 0.800000011920929;
    if (NameIs(name, "Delay")) return share * (m_flanger ? 0.004999999888241291 : 3.0);
    return 0.0;
}

char* CEchoEffect::FormatValue(const char* name, double v, char* buffer) {
    if (NameIs(name, "Decay")) return FormatText(buffer, "%0.2f", v);
    if (NameIs(name, "Delay")) {
        if (m_flanger) return FormatText(buffer, "%0.2f ms", v * 1000);
        return FormatText(buffer, "%u ms", TruncToUnsigned(v * 1000));
    }
    return buffer;
}

double CEchoEffect::GetDefaultValue(const char* name) {
    if (NameIs(name, "Decay")) return m_flanger ? 0.5 : static_cast<double>(0.6f);
    if (NameIs(name, "Delay")) return m_flanger ? 0.00075 : 1.0;
    return 0.0;
}

}  // namespace vantor::tonebank
