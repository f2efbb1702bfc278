#pragma once

#include "effect_type.h"

namespace vantor::tonebank {

// "Panning" (parameter "Direction") and "Ch. Inverter" (parameter
// "Inversion"), both on a scale of -20 ... 20 in whole steps.
class CPanningEffect final : public EffectType {
public:
    explicit CPanningEffect(bool inverter);

    bool IsEnvelopeFixed(const char*) override { return false; }
    IEffectProcessor* CreateProcessor() override;
    int ValueToPosition(const char* parameterName, double value, int range) override;
    double PositionToValue(const char* parameterName, int position, int range) override;
    char* FormatValue(const char* parameterName, double value, char* buffer) override;
    double GetDefaultValue(const char*) override { return 0.0; }

private:
    bool IsOwnParameter(const char* name) const;

    bool m_inverter;
};

}  // namespace vantor::tonebank
