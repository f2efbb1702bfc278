#include "database/mixing_profile.h"

namespace vantor {

void CMixingProfile::Serialize(CMemoryOStream& out) const {
    if (m_clip) {
        m_name.Write(out);
    } else {
        WriteText(out, "", FixedText<255>::kCapacity);
    }
    WriteDouble(out, m_tempo);
    if (m_clip && !m_name.empty()) m_clip->Serialize(out);
}

void CMixingProfile::Deserialize(CMemoryIStream& in) {
    m_clip.reset();
    m_tempo = kDefaultTempo;
    m_name.Clear();
    if (!m_name.Read(in)) return;
    m_tempo = ReadDouble(in);
    if (m_name.empty()) return;
    auto clip = MakeRef<CSetClip>();
    clip->Deserialize(in);
    m_clip = clip;
}

CMixingProfile* CMixingProfile::Clone() const {
    auto* copy = new CMixingProfile();
    copy->m_name = m_name;
    copy->m_tempo = m_tempo;
    if (m_clip) copy->m_clip = RefPtr<CSetClip>(m_clip->Clone());
    return copy;
}

}  // namespace vantor
