#include "model/segment_design.h"

#include <cmath>

namespace vantor {

CSegmentDesign::CSegmentDesign() : m_segment(new CSegment()), m_effectProfiles(new EffectProfiles(5, 5)) {}

void CSegmentDesign::SetNormalization(double gain) {
    if (std::isfinite(gain)) m_normalization = gain;
}

void CSegmentDesign::Serialize(CMemoryOStream& out) const {
    m_name.Write(out);
    WriteInt32(out, m_positionOffset);
    WriteInt32(out, m_reserved);
    WriteDouble(out, m_tempo);
    WriteDouble(out, m_normalization);
    m_segment->Serialize(out);
    m_effectProfiles->Serialize(out);
}

void CSegmentDesign::Deserialize(CMemoryIStream& in) {
    m_segment = RefPtr<CSegment>(new CSegment());
    m_effectProfiles = RefPtr<EffectProfiles>(new EffectProfiles(5, 5));
    m_name.Clear();
    m_positionOffset = 0;
    m_reserved = 0;
    m_tempo = kDefaultTempo;
    m_normalization = 1.0;
    if (!m_name.Read(in)) return;
    m_positionOffset = ReadInt32(in);
    m_reserved = ReadInt32(in);
    m_tempo = ReadDouble(in);
    m_normalization = ReadDouble(in);
    m_segment->Deserialize(in);
    if (in.IsDamaged()) return;
    m_effectProfiles->ReadItems(in, CEffectProfile());
}

CSegmentDesign* CSegmentDesign::Clone() const {
    auto* copy = new CSegmentDesign();
    copy->m_name = m_name;
    copy->m_positionOffset = m_positionOffset;
    copy->m_reserved = m_reserved;
    copy->m_tempo = m_tempo;
    copy->m_normalization = m_normalization;
    copy->m_segment = RefPtr<CSegment>(m_segment->Clone());
    copy->m_effectProfiles = RefPtr<EffectProfiles>(m_effectProfiles->Clone());
    return copy;
}

}  // namespace vantor
