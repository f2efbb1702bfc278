#pragma once

#include <cstddef>
#include <vector>

#include "vantor/effect_api.h"

namespace vantor::tonebank {

// What every effect type of the library shares: its name and its list of
// parameter names; the type deletes itself when the host says so.
class EffectType : public IEffect {
public:
    EffectType(const char* name, std::vector<const char*> parameters)
        : m_name(name), m_parameters(std::move(parameters)) {}
    virtual ~EffectType() = default;

    const char* GetName() override { return m_name; }
    void Delete() override { delete this; }
    int GetParameterCount() override { return static_cast<int>(m_parameters.size()); }
    const char* GetParameterName(int index) override {
        return index >= 0 && index < GetParameterCount() ? m_parameters[static_cast<size_t>(index)] : nullptr;
    }

private:
    const char* m_name;
    std::vector<const char*> m_parameters;
};

}  // namespace vantor::tonebank
