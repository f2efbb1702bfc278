#include "model/tempo_change.h"

#include "model/value_io.h"

namespace vantor {

void CTempoChange::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, m_reserved);
    WriteDouble(out, m_tempo);
}

void CTempoChange::Deserialize(CMemoryIStream& in) {
    m_reserved = ReadInt32(in);
    m_tempo = ReadDouble(in);
}

CTempoChange* CTempoChange::Clone() const {
    auto* copy = new CTempoChange(m_tempo);
    copy->m_reserved = m_reserved;
    return copy;
}

}  // namespace vantor
