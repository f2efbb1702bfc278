#pragma once

#include <cstdint>

#include "model/serializable.h"

namespace vantor {

// Tempo used wherever no configuration gives another.
constexpr double kDefaultTempo = 130.0;

// The payload of an event on the tempo track. Record: reserved (always 0),
// tempo in beats per minute; 12 bytes.
class CTempoChange : public ISerializable {
public:
    explicit CTempoChange(double tempo = kDefaultTempo) : m_tempo(tempo) {}

    double GetTempo() const { return m_tempo; }
    void SetTempo(double tempo) { m_tempo = tempo; }
    int32_t GetReserved() const { return m_reserved; }

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CTempoChange* Clone() const override;

private:
    int32_t m_reserved = 0;
    double m_tempo;
};

}  // namespace vantor
