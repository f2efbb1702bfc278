#pragma once

#include <string_view>

#include "model/array.h"
#include "model/fixed_text.h"

namespace vantor {

// One song of a playlist, by its key in the music database, and whether the
// song is used in the set last chosen for marking. Record: song key (255),
// in set as a 32-bit 0 or 1; 263 bytes. Any non-zero value reads as 1.
class CPlayListEntry : public ISerializable {
public:
    static constexpr int32_t kRecordSize = 263;

    CPlayListEntry() = default;
    explicit CPlayListEntry(std::string_view key) : m_songKey(key) {}

    const char* GetSongKey() const { return m_songKey.c_str(); }
    void SetSongKey(std::string_view key) { m_songKey.Set(key); }
    bool IsInSet() const { return m_inSet; }
    void SetInSet(bool inSet) { m_inSet = inSet; }

    const char* GetKey() const override { return m_songKey.c_str(); }
    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CPlayListEntry* Clone() const override;

private:
    FixedText<255> m_songKey;
    bool m_inSet = false;
};

// A playlist: its entries in playing order. The ".plt" file is exactly this
// array's record.
using Playlist = CArray<CPlayListEntry>;

}  // namespace vantor
