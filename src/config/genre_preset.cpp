#include "config/genre_preset.h"

namespace vantor {

void CGenrePreset::Serialize(CMemoryOStream& out) const {
    m_name.Write(out);
    WriteInt32(out, m_id);
}

void CGenrePreset::Deserialize(CMemoryIStream& in) {
    m_name.Clear();
    m_id = 0;
    if (!m_name.Read(in)) return;
    m_id = ReadInt32(in);
}

CGenrePreset* CGenrePreset::Clone() const { return new CGenrePreset(m_name.c_str(), m_id); }

void AddDefaultGenres(GenrePresets& genres) {
    static const char* const kNames[] = {
        "Hard House",  "Anthem House", "Vocal House",  "Deep House", "Hard Trance", "Progressive Trance",
        "Vocal Trance", "Techno",      "Tribal",       "Drum 'n Bass", "Hip Hop",   "Disco", "Other",
    };
    int32_t id = 0;
    for (const char* name : kNames) genres.Add(new CGenrePreset(name, id++));
}

}  // namespace vantor
