#include "model/event.h"

namespace vantor {

int32_t CEvent::GetKind() const {
    if (m_segment) return kSegment;
    if (m_tempoChange) return kTempoChange;
    return kNone;
}

void CEvent::SetSegment(CSegmentDesign* design) {
    RefPtr<CSegmentDesign> keep(design);  // the new payload may be the old one
    m_tempoChange.reset();
    m_segment = keep;
}

void CEvent::SetTempoChange(CTempoChange* tempoChange) {
    RefPtr<CTempoChange> keep(tempoChange);
    m_segment.reset();
    m_tempoChange = keep;
}

void CEvent::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, GetKind());
    WriteInt32(out, m_position);
    WriteInt32(out, static_cast<int32_t>(m_colour));
    if (m_segment) {
        m_segment->Serialize(out);
    } else if (m_tempoChange) {
        m_tempoChange->Serialize(out);
    }
}

void CEvent::Deserialize(CMemoryIStream& in) {
    m_segment.reset();
    m_tempoChange.reset();
    int32_t kind = ReadInt32(in);
    m_position = ReadInt32(in);
    m_colour = static_cast<uint32_t>(ReadInt32(in));
    if (kind == kSegment) {
        m_segment = MakeRef<CSegmentDesign>();
        m_segment->Deserialize(in);
    } else if (kind == kTempoChange) {
        m_tempoChange = MakeRef<CTempoChange>();
        m_tempoChange->Deserialize(in);
    }
}

CEvent* CEvent::Clone() const {
    auto* copy = new CEvent();
    if (m_segment) copy->m_segment = RefPtr<CSegmentDesign>(m_segment->Clone());
    if (m_tempoChange) copy->m_tempoChange = RefPtr<CTempoChange>(m_tempoChange->Clone());
    copy->m_position = m_position;
    copy->m_colour = m_colour;
    copy->m_pendingEdits = m_pendingEdits;
    return copy;
}

}  // namespace vantor
