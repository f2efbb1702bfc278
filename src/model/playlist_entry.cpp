#include "model/playlist_entry.h"

namespace vantor {

void CPlayListEntry::Serialize(CMemoryOStream& out) const {
    m_songKey.Write(out);
    WriteInt32(out, m_inSet ? 1 : 0);
}

void CPlayListEntry::Deserialize(CMemoryIStream& in) {
    m_songKey.Clear();
    m_inSet = false;
    if (!m_songKey.Read(in)) return;
    m_inSet = ReadInt32(in) != 0;
}

CPlayListEntry* CPlayListEntry::Clone() const {
    auto* copy = new CPlayListEntry(m_songKey.c_str());
    copy->m_inSet = m_inSet;
    return copy;
}

}  // namespace vantor
