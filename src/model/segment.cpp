#include "model/segment.h"

#include <cmath>
#include <limits>

namespace vantor {

int32_t CSegment::GetTimelineLength() const {
    double length = std::trunc((static_cast<double>(m_end) - static_cast<double>(m_start)) * m_ratio);
    if (std::isnan(length)) return 0;
    if (length >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (length <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(length);
}

void CSegment::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, m_start);
    WriteInt32(out, m_end);
    WriteDouble(out, m_ratio);
    m_songKey.Write(out);
    m_songTitle.Write(out);
}

void CSegment::Deserialize(CMemoryIStream& in) {
    m_start = 0;
    m_end = 0;
    m_ratio = 1.0;
    m_songKey.Clear();
    m_songTitle.Clear();
    m_start = ReadInt32(in);
    m_end = ReadInt32(in);
    m_ratio = ReadDouble(in);
    if (!m_songKey.Read(in)) return;
    m_songTitle.Read(in);
}

CSegment* CSegment::Clone() const {
    auto* copy = new CSegment();
    copy->m_start = m_start;
    copy->m_end = m_end;
    copy->m_ratio = m_ratio;
    copy->m_songKey = m_songKey;
    copy->m_songTitle = m_songTitle;
    return copy;
}

}  // namespace vantor
