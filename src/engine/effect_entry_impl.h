#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "vantor/effect_api.h"

namespace vantor {

// One span of a parameter's envelope: from start to end (song frames) the
// value runs from startValue to endValue.
struct EffectSpan {
    uint32_t start = 0;
    uint32_t end = 0;
    double startValue = 0.0;
    double endValue = 0.0;
};

// A parameter's envelope as a processor walks it: a list of spans (owned by
// whoever built the entry and kept alive as long as it), the span the entry
// was bound to and the current one.
class CEffectEntryImpl final : public IEffectEntry {
public:
    static constexpr size_t kNameCapacity = 100;

    // An empty span list gives an entry that is never valid; bound is kept
    // inside the list.
    CEffectEntryImpl(std::string_view effectName, std::string_view parameterName,
                     const std::vector<EffectSpan>& spans, size_t bound = 0);

    const char* GetParameterName() override { return m_parameterName; }
    const char* GetEffectName() const { return m_effectName; }
    unsigned int GetStart() override { return Current().start; }
    unsigned int GetEnd() override { return Current().end; }
    double GetStartValue() override { return Current().startValue; }
    double GetEndValue() override { return Current().endValue; }
    bool IsValid() override { return m_valid; }
    void Rewind() override;
    bool Next() override;
    bool Prev() override;

private:
    const EffectSpan& Current() const {
        static const EffectSpan kNone;
        return m_spans->empty() ? kNone : (*m_spans)[m_current];
    }

    const std::vector<EffectSpan>* m_spans;
    size_t m_bound;
    size_t m_current;
    char m_parameterName[kNameCapacity];
    char m_effectName[kNameCapacity];
    bool m_valid = true;
};

// A parameter held at one value for the whole song.
class CEffectEntryConstImpl final : public IEffectEntry {
public:
    CEffectEntryConstImpl(std::string_view effectName, std::string_view parameterName, double value);

    const char* GetParameterName() override { return m_parameterName; }
    const char* GetEffectName() const { return m_effectName; }
    unsigned int GetStart() override { return 0; }
    unsigned int GetEnd() override { return 0xFFFFFFFFu; }
    double GetStartValue() override { return m_value; }
    double GetEndValue() override { return m_value; }
    bool IsValid() override { return true; }
    void Rewind() override {}
    bool Next() override { return false; }
    bool Prev() override { return false; }

private:
    double m_value;
    char m_parameterName[CEffectEntryImpl::kNameCapacity];
    char m_effectName[CEffectEntryImpl::kNameCapacity];
};

}  // namespace vantor
