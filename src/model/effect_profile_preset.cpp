#include "model/effect_profile_preset.h"

namespace vantor {

CEffectProfilePreset::CEffectProfilePreset() : m_profile(MakeRef<CEffectProfile>()) {}

void CEffectProfilePreset::SetProfile(CEffectProfile* profile) {
    // A preset always holds a profile, so that readers never meet none.
    m_profile = profile ? RefPtr<CEffectProfile>(profile) : MakeRef<CEffectProfile>();
}

void CEffectProfilePreset::Serialize(CMemoryOStream& out) const {
    m_name.Write(out);
    m_profile->Serialize(out);
}

void CEffectProfilePreset::Deserialize(CMemoryIStream& in) {
    m_name.Clear();
    m_name.Read(in);
    m_profile = MakeRef<CEffectProfile>();
    m_profile->Deserialize(in);
}

CEffectProfilePreset* CEffectProfilePreset::Clone() const {
    auto* copy = new CEffectProfilePreset();
    copy->m_name = m_name;
    copy->m_profile = RefPtr<CEffectProfile>(m_profile->Clone());
    return copy;
}

}  // namespace vantor
