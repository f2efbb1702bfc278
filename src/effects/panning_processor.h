#pragma once

#include "envelope_cursor.h"
#include "vantor/effect_api.h"

namespace vantor::tonebank {

// Per frame, from the value v (-19 ... 19): u = (v + 19) / 38 and
// w = (19 - v) / 38. Panning lowers one side (first sample by 2u when u < 0.5,
// second by 2w when w < 0.5); the inverter cross-mixes the two channels, from
// swapped at -19 through both averaged at 0 to unchanged at 19.
class CPanningProcessor final : public IEffectProcessor {
public:
    explicit CPanningProcessor(bool inverter) : m_inverter(inverter) {}

    const char* GetName() override { return m_inverter ? "Ch. Inverter" : "Panning"; }
    int Init(int bitsPerSample, int channels) override;
    int Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries, void* buffer,
                unsigned int byteCount) override;
    bool SetParameterLevel(int, int, const char*) override { return false; }
    void Delete() override { delete this; }

private:
    bool m_inverter;
    int m_bits = 16;
    EnvelopeCursor m_envelope;
};

}  // namespace vantor::tonebank
