#include "model/effect_profile.h"

namespace vantor {

CEffectProfile::CEffectProfile() : m_curve(new Curve()) {}

void CEffectProfile::AddPiece(int32_t start, int32_t end, double startLevel, double endLevel) {
    m_curve->Insert(new CEffect(start, end, startLevel, endLevel), start);
}

void CEffectProfile::Serialize(CMemoryOStream& out) const {
    m_effectName.Write(out);
    m_parameterName.Write(out);
    m_curve->Serialize(out);
}

void CEffectProfile::Deserialize(CMemoryIStream& in) {
    m_curve = RefPtr<Curve>(new Curve());
    m_effectName.Clear();
    m_parameterName.Clear();
    if (!m_effectName.Read(in) || !m_parameterName.Read(in)) return;
    m_curve->ReadItems(in, CEffect());
}

CEffectProfile* CEffectProfile::Clone() const {
    auto* copy = new CEffectProfile();
    copy->m_curve = RefPtr<Curve>(m_curve->Clone());
    copy->m_effectName = m_effectName;
    copy->m_parameterName = m_parameterName;
    return copy;
}

}  // namespace vantor
