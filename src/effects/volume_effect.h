#pragma once

#include "effect_type.h"

namespace vantor::tonebank {

// "Volume" with its one parameter "Level" on a decibel-like scale
// (gain = 10^(level / 40)), muted below a gain of 0.07.
class CVolumeEffect final : public EffectType {
public:
    CVolumeEffect();

    bool IsEnvelopeFixed(const char*) override { return false; }
    IEffectProcessor* CreateProcessor() override;
    int ValueToPosition(const char* parameterName, double value, int range) override;
    double PositionToValue(const char* parameterName, int position, int range) override;
    char* FormatValue(const char* parameterName, double value, char* buffer) override;
    double GetDefaultValue(const char*) override { return 0.0; }

    // The gain of a level; 0 when it would be below 0.07.
    static double GainOfLevel(double level);
};

}  // namespace vantor::tonebank
