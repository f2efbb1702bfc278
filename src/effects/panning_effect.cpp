#include "panning_effect.h"

#include "effect_math.h"
#include "panning_processor.h"

namespace vantor::tonebank {

namespace {

constexpr double kPercentPerStep = 5.263157894736842;  // 100 / 19

}  // namespace

CPanningEffect::CPanningEffect(bool inverter)
    : EffectType(inverter ? "Ch. Inverter" : "Panning", {inverter ? "Inversion" : "Direction"}),
      m_inverter(inverter) {}

bool CPanningEffect::IsOwnParameter(const char* name) const {
    return NameIs(name, m_inverter ? "Inversion" : "Direction");
}

IEffectProcessor* CPanningEffect::CreateProcessor() { return new CPanningProcessor(m_inverter); }

int CPanningEffect::ValueToPosition(const char* name, double v, int range) {
    if (!IsOwnParameter(name)) return 0;
    return FromTop(range, (v + 20) * range * 0.025);
}

double CPanningEffect::PositionToValue(const char* name, int position, int range) {
    if (!IsOwnParameter(name) || range <= 0) return 0.0;
    int64_t r = range;
    return static_cast<double>((r - r / 2 - position) * 40 / r);
}

char* CPanningEffect::FormatValue(const char* name, double v, char* buffer) {
    if (!IsOwnParameter(name)) return buffer;
    if (!m_inverter) {
        if (v < 0) return FormatText(buffer, "%.0fL", -v);
        if (v > 0) return FormatText(buffer, "%.0fR", v);
        return FormatText(buffer, "0");
    }
    if (v == 0) return FormatText(buffer, "mono");
    if (v == 19) return FormatText(buffer, "norm");
    if (v == -19) return FormatText(buffer, "inv");
    if (v > 0) return FormatText(buffer, "%u%% norm", TruncToUnsigned(v * kPercentPerStep));
    return FormatText(buffer, "%u%% inv", TruncToUnsigned(-v * kPercentPerStep));
}

}  // namespace vantor::tonebank
