#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "vantor/effect_api.h"

namespace vantor::test {

// An effect type whose values run from 1.0 at the top of a control to 0.0 at
// the bottom, shown with two decimals; its default is 0.5.
class LinearEffect final : public IEffect {
public:
    LinearEffect(std::string name, std::vector<std::string> parameters)
        : m_name(std::move(name)), m_parameters(std::move(parameters)) {}
    const char* GetName() override { return m_name.c_str(); }
    void Delete() override { delete this; }
    int GetParameterCount() override { return static_cast<int>(m_parameters.size()); }
    const char* GetParameterName(int index) override {
        return index >= 0 && index < GetParameterCount() ? m_parameters[static_cast<size_t>(index)].c_str() : nullptr;
    }
    bool IsEnvelopeFixed(const char*) override { return false; }
    IEffectProcessor* CreateProcessor() override { return nullptr; }
    int ValueToPosition(const char*, double value, int range) override {
        return static_cast<int>(std::lround((1.0 - value) * range));
    }
    double PositionToValue(const char*, int position, int range) override { return 1.0 - double(position) / range; }
    char* FormatValue(const char*, double value, char* buffer) override {
        std::snprintf(buffer, kEffectTextCapacity, "%.2f", value);
        return buffer;
    }
    double GetDefaultValue(const char*) override { return 0.5; }

private:
    std::string m_name;
    std::vector<std::string> m_parameters;
};

}  // namespace vantor::test
