#pragma once

#include "butterworth_table.h"
#include "effect_type.h"

namespace vantor::tonebank {

// "Treble Filter" (lowpass) and "Bass Filter" (highpass): parameters "Level"
// (-1 removes the band, 0 passes, 0.5 boosts it) and "Cutoff Frequency" (an
// index into the coefficient table, computed once when the type is made).
class CFilterEffect final : public EffectType {
public:
    explicit CFilterEffect(bool bass);

    bool IsEnvelopeFixed(const char*) override { return false; }
    IEffectProcessor* CreateProcessor() override;
    int ValueToPosition(const char* parameterName, double value, int range) override;
    double PositionToValue(const char* parameterName, int position, int range) override;
    char* FormatValue(const char* parameterName, double value, char* buffer) override;
    double GetDefaultValue(const char* parameterName) override;

private:
    bool m_bass;
    ButterworthTable m_table;
};

}  // namespace vantor::tonebank
