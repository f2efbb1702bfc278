#include "database/match_point.h"

namespace vantor {

namespace {

struct TypeInfo {
    int32_t type;
    const char* name;
    const char* label;
};

// "ExploreDn" is the label the analyzer has always proposed for a downward
// explosion; users' databases carry it, so it stays.
constexpr TypeInfo kTypes[] = {
    {CMatchPoint::START_SONG, "START_SONG", "Start"},   {CMatchPoint::BUILD, "BUILD", "Build"},
    {CMatchPoint::FALL, "FALL", "Fall"},                {CMatchPoint::EXPLODE_UP, "EXPLODE_UP", "ExplodeUp"},
    {CMatchPoint::EXPLODE_DOWN, "EXPLODE_DOWN", "ExploreDn"}, {CMatchPoint::CHORUS, "CHORUS", "Chorus"},
    {CMatchPoint::VERSE, "VERSE", "Verse"},             {CMatchPoint::MISC, "MISC", "Misc"},
    {CMatchPoint::END_SONG, "END_SONG", "End"},
};

const TypeInfo* Find(int32_t type) {
    for (const auto& info : kTypes)
        if (info.type == type) return &info;
    return nullptr;
}

}  // namespace

void CMatchPoint::Serialize(CMemoryOStream& out) const {
    m_label.Write(out);
    WriteInt32(out, static_cast<int32_t>(m_position));
    WriteInt32(out, m_type);
    m_songKey.Write(out);
    WriteDouble(out, m_tempo);
}

void CMatchPoint::Deserialize(CMemoryIStream& in) {
    m_label.Clear();
    m_position = 0;
    m_type = START_SONG;
    m_songKey.Clear();
    m_tempo = kDefaultTempo;
    if (!m_label.Read(in)) return;
    m_position = static_cast<uint32_t>(ReadInt32(in));
    m_type = ReadInt32(in);
    if (!m_songKey.Read(in)) return;
    m_tempo = ReadDouble(in);
}

CMatchPoint* CMatchPoint::Clone() const {
    auto* copy = new CMatchPoint();
    copy->m_label = m_label;
    copy->m_position = m_position;
    copy->m_type = m_type;
    copy->m_songKey = m_songKey;
    copy->m_tempo = m_tempo;
    return copy;
}

const char* MatchPointTypeName(int32_t type) {
    const TypeInfo* info = Find(type);
    return info ? info->name : nullptr;
}

int32_t MatchPointTypeFromName(std::string_view name) {
    for (const auto& info : kTypes)
        if (name == info.name) return info.type;
    return -1;
}

const char* DefaultMatchPointLabel(int32_t type) {
    const TypeInfo* info = Find(type);
    return info ? info->label : nullptr;
}

}  // namespace vantor
