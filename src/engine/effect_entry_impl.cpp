#include "engine/effect_entry_impl.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

// Names longer than the field are cut; the field always ends in a terminator.
void CopyName(char* field, std::string_view name) {
    size_t n = std::min(name.size(), CEffectEntryImpl::kNameCapacity - 1);
    std::memcpy(field, name.data(), n);
    std::memset(field + n, 0, CEffectEntryImpl::kNameCapacity - n);
}

}  // namespace

CEffectEntryImpl::CEffectEntryImpl(std::string_view effectName, std::string_view parameterName,
                                   const std::vector<EffectSpan>& spans, size_t bound)
    : m_spans(&spans), m_bound(std::min(bound, spans.empty() ? 0 : spans.size() - 1)), m_current(m_bound) {
    CopyName(m_parameterName, parameterName);
    CopyName(m_effectName, effectName);
    m_valid = !spans.empty();
}

void CEffectEntryImpl::Rewind() {
    m_current = m_bound;
    m_valid = !m_spans->empty();
}

bool CEffectEntryImpl::Next() {
    if (m_valid && m_current + 1 < m_spans->size()) {
        ++m_current;
        return true;
    }
    m_valid = false;
    return false;
}

bool CEffectEntryImpl::Prev() {
    if (!m_valid) {
        m_valid = !m_spans->empty();
        return false;
    }
    if (m_current == 0) return false;
    --m_current;
    return true;
}

CEffectEntryConstImpl::CEffectEntryConstImpl(std::string_view effectName, std::string_view parameterName,
                                             double value)
    : m_value(value) {
    CopyName(m_parameterName, parameterName);
    CopyName(m_effectName, effectName);
}

}  // namespace vantor
