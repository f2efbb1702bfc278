#pragma once

#include <cstdint>

#include "model/serializable.h"

namespace vantor {

// One piece of an effect profile's curve: a level ramp from start to end.
// Points are 0..9999 in presets and waveforms, frames once applied to a set.
// Record: start, end, start level, end level (24 bytes).
class CEffect : public ISerializable {
public:
    CEffect() = default;
    CEffect(int32_t start, int32_t end, double startLevel, double endLevel)
        : m_start(start), m_end(end), m_startLevel(startLevel), m_endLevel(endLevel) {}

    int32_t GetStart() const { return m_start; }
    void SetStart(int32_t start) { m_start = start; }
    int32_t GetEnd() const { return m_end; }
    void SetEnd(int32_t end) { m_end = end; }
    double GetStartLevel() const { return m_startLevel; }
    void SetStartLevel(double level) { m_startLevel = level; }
    double GetEndLevel() const { return m_endLevel; }
    void SetEndLevel(double level) { m_endLevel = level; }

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CEffect* Clone() const override;

private:
    int32_t m_start = 0;
    int32_t m_end = 0;
    double m_startLevel = 1.0;
    double m_endLevel = 1.0;
};

}  // namespace vantor
