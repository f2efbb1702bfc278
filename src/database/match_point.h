#pragma once

#include <cstdint>
#include <string_view>

#include "model/fixed_text.h"
#include "model/serializable.h"
#include "model/tempo_change.h"

namespace vantor {

// A cue point of a song: a labelled, typed position in the song's audio file
// with the tempo that holds from there. Record: label (30), position, type,
// song key (255), tempo; 309 bytes.
class CMatchPoint : public ISerializable {
public:
    enum Type : int32_t {
        START_SONG = 0,
        BUILD = 1,
        FALL = 2,
        EXPLODE_UP = 4,
        EXPLODE_DOWN = 8,
        CHORUS = 16,
        VERSE = 32,
        MISC = 64,
        END_SONG = 255,
    };

    static constexpr int32_t kRecordSize = 309;

    CMatchPoint() = default;

    const char* GetLabel() const { return m_label.c_str(); }
    void SetLabel(std::string_view label) { m_label.Set(label); }
    // Sample frame in the song's file, at the file's own rate.
    uint32_t GetPosition() const { return m_position; }
    void SetPosition(uint32_t position) { m_position = position; }
    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }
    const char* GetSongKey() const { return m_songKey.c_str(); }
    void SetSongKey(std::string_view key) { m_songKey.Set(key); }
    double GetTempo() const { return m_tempo; }
    void SetTempo(double tempo) { m_tempo = tempo; }

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CMatchPoint* Clone() const override;

private:
    FixedText<30> m_label;
    uint32_t m_position = 0;
    int32_t m_type = START_SONG;
    FixedText<255> m_songKey;
    double m_tempo = kDefaultTempo;
};

// The name shown for a cue point type ("START_SONG", "CHORUS", ...), or null
// for a code that is not a type.
const char* MatchPointTypeName(int32_t type);
// The type whose name is given, or -1.
int32_t MatchPointTypeFromName(std::string_view name);
// The label proposed when a type is chosen ("Start", "ExplodeUp", ...), or
// null for a code that is not a type.
const char* DefaultMatchPointLabel(int32_t type);

}  // namespace vantor
