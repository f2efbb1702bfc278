#include "filter_effect.h"

#include "effect_math.h"
#include "filter_processor.h"

namespace vantor::tonebank {

CFilterEffect::CFilterEffect(bool bass)
    : EffectType(bass ? "Bass Filter" : "Treble Filter", {"Level", "Cutoff Frequency"}),
      m_bass(bass),
      m_table(bass) {}

IEffectProcessor* CFilterEffect::CreateProcessor() { return new CFilterProcessor(this, m_table); }

int CFilterEffect::ValueToPosition(const char* name, double v, int range) {
    if (NameIs(name, "Level")) return FromTop(range, range * (v + 1) * 0.6666666666666666);
    if (NameIs(name, "Cutoff Frequency")) return TruncToInt((441 - v) / 441 * range);
    return 0;
}

double CFilterEffect::PositionToValue(const char* name, int position, int range) {
    if (range <= 0) return 0.0;
    if (NameIs(name, "Level")) return static_cast<double>(range - static_cast<int64_t>(position)) / range * 1.5 - 1;
    if (NameIs(name, "Cutoff Frequency")) return 441 - TruncToInt(static_cast<double>(position) / range * 441);
    return 0.0;
}

char* CFilterEffect::FormatValue(const char* name, double v, char* buffer) {
    if (NameIs(name, "Cutoff Frequency"))
        return FormatText(buffer, "%u hz", static_cast<unsigned>(m_table.ForCutoffValue(v).frequency));
    if (NameIs(name, "Level")) return FormatText(buffer, "%i%%", TruncToInt(v * 100));
    return buffer;
}

double CFilterEffect::GetDefaultValue(const char* name) {
    if (NameIs(name, "Cutoff Frequency")) return m_bass ? 55.0 : 387.0;
    return 0.0;
}

}  // namespace vantor::tonebank
