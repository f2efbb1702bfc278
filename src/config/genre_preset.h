#pragma once

#include <cstdint>

#include "model/array.h"
#include "model/fixed_text.h"

namespace vantor {

// A genre of the configuration's list: its name and the id stored in bits
// 0-7 of a song profile's type word. Record: name (50), id; 58 bytes.
class CGenrePreset : public ISerializable {
public:
    CGenrePreset() = default;
    CGenrePreset(std::string_view name, int32_t id) : m_name(name), m_id(id) {}

    const char* GetName() const { return m_name.c_str(); }
    void SetName(std::string_view name) { m_name.Set(name); }
    int32_t GetId() const { return m_id; }
    void SetId(int32_t id) { m_id = id; }

    const char* GetKey() const override { return m_name.c_str(); }
    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CGenrePreset* Clone() const override;

private:
    FixedText<50> m_name;
    int32_t m_id = 0;
};

using GenrePresets = CArray<CGenrePreset>;

// Fills the list with the 13 built-in genres, ids 0 to 12.
void AddDefaultGenres(GenrePresets& genres);

}  // namespace vantor
