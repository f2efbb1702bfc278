#include "model/effect.h"

#include "model/value_io.h"

namespace vantor {

void CEffect::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, m_start);
    WriteInt32(out, m_end);
    WriteDouble(out, m_startLevel);
    WriteDouble(out, m_endLevel);
}

void CEffect::Deserialize(CMemoryIStream& in) {
    m_start = ReadInt32(in);
    m_end = ReadInt32(in);
    m_startLevel = ReadDouble(in);
    m_endLevel = ReadDouble(in);
}

CEffect* CEffect::Clone() const { return new CEffect(m_start, m_end, m_startLevel, m_endLevel); }

}  // namespace vantor
