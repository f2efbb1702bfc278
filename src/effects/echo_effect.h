#pragma once

#include "effect_type.h"

namespace vantor::tonebank {

// "Echo" and its short-delay variant "Flanger": a recirculating delay with
// the parameters "Decay" and "Delay", whose envelopes take no added points.
class CEchoEffect final : public EffectType {
public:
    explicit CEchoEffect(bool flanger);

    bool IsEnvelopeFixed(const char*) override { return true; }
    IEffectProcessor* CreateProcessor() override;
    int ValueToPosition(const char* parameterName, double value, int range) override;
    double PositionToValue(const char* parameterName, int position, int range) override;
    char* FormatValue(const char* parameterName, double value, char* buffer) override;
    double GetDefaultValue(const char* parameterName) override;

private:
    bool m_flanger;
};

}  // namespace vantor::tonebank
