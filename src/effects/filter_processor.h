#pragma once

#include <array>
#include <atomic>

#include "butterworth_table.h"
#include "envelope_cursor.h"
#include "vantor/effect_api.h"

namespace vantor::tonebank {

// Runs each channel through the three sections of the selected table entry
// and mixes x (level + 1) - y level. Level and cutoff glide toward their
// targets frame by frame; live overrides replace the envelopes for good.
class CFilterProcessor final : public IEffectProcessor {
public:
    CFilterProcessor(IEffect* type, const ButterworthTable& table);

    const char* GetName() override { return m_type->GetName(); }
    int Init(int bitsPerSample, int channels) override;
    int Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries, void* buffer,
                unsigned int byteCount) override;
    bool SetParameterLevel(int level, int range, const char* parameterName) override;
    void Delete() override { delete this; }

private:
    struct Memory {
        double x1, x2, y1, y2;
    };

    double Filter(int channel, double x);

    IEffect* m_type;
    const ButterworthTable& m_table;
    int m_bits = 16;
    int m_channels = 2;
    std::array<std::array<Memory, ButterworthTable::kSections>, 2> m_memory{};
    double m_level = -1.0;
    double m_cutoff = -1.0;
    int m_warmup = 0;  // frames after Init that take their targets at once
    const ButterworthTable::Entry* m_entry = nullptr;
    EnvelopeCursor m_levelEnvelope;
    EnvelopeCursor m_cutoffEnvelope;
    // Written by the live-control thread, read by the renderer per frame.
    std::atomic<double> m_levelOverride{0.0};
    std::atomic<bool> m_hasLevelOverride{false};
    std::atomic<double> m_cutoffOverride{0.0};
    std::atomic<bool> m_hasCutoffOverride{false};
};

}  // namespace vantor::tonebank
