#pragma once

#include <string>
#include <utility>

#include "vantor/effect_api.h"

namespace vantor {

// The levels of one effect parameter on the effect's own control scale:
// waveform fractions (0 at the bottom of the control, 1 at the top) to and
// from parameter values, and values between two levels taken along the
// control, as the effect type maps them. Without a registered effect type
// the fractions are the values and the control is linear.
class EffectLevels {
public:
    // The height of the curve editing area: the steps a waveform fraction
    // is read at.
    static constexpr int kCurveHeight = 100;
    // The steps of the control when a level between two others is taken.
    static constexpr int kControlSteps = 100;

    EffectLevels(IEffect* effect, std::string parameter) : m_effect(effect), m_parameter(std::move(parameter)) {}

    bool IsRegistered() const { return m_effect != nullptr; }
    double FromFraction(double fraction) const;
    double ToFraction(double value) const;
    // The level the fraction t (0..1) of the way from a to b. The ends are
    // the levels themselves, not their nearest control steps.
    double Between(double a, double b, double t) const;
    // The value the effect type starts with.
    double Default() const;

private:
    IEffect* m_effect;
    std::string m_parameter;
};

}  // namespace vantor
