#include "filter_processor.h"

#include <cmath>

#include "effect_math.h"

namespace vantor::tonebank {

namespace {

constexpr int kWarmupFrames = 10;
constexpr double kLevelStep = 0.001;
constexpr double kCutoffStep = 221 * 0.0001953125;
constexpr double kSilentBelow = 0.1;  // keeps decaying memories out of denormal numbers

double MoveToward(double value, double target, double step) {
    if (target > value + step) return value + step;
    if (target < value - step) return value - step;
    return target;
}

}  // namespace

CFilterProcessor::CFilterProcessor(IEffect* type, const ButterworthTable& table) : m_type(type), m_table(table) {
    Init(16, 2);
}

int CFilterProcessor::Init(int bitsPerSample, int channels) {
    m_bits = bitsPerSample;
    m_channels = channels;
    m_memory = {};
    m_level = -1.0;
    m_cutoff = -1.0;
    m_warmup = kWarmupFrames;
    m_entry = nullptr;
    return 1;
}

bool CFilterProcessor::SetParameterLevel(int level, int range, const char* name) {
    if (!name) return false;
    double value = m_type->PositionToValue(name, range - level, range);
    if (NameIs(name, "Level")) {
        m_levelOverride.store(value, std::memory_order_relaxed);
        m_hasLevelOverride.store(true, std::memory_order_release);
    } else {
        m_cutoffOverride.store(value, std::memory_order_relaxed);
        m_hasCutoffOverride.store(true, std::memory_order_release);
    }
    return true;
}

double CFilterProcessor::Filter(int channel, double x) {
    for (int s = 0; s < ButterworthTable::kSections; ++s) {
        const auto& c = m_entry->sections[static_cast<size_t>(s)];
        Memory& m = m_memory[static_cast<size_t>(channel)][static_cast<size_t>(s)];
        double y = c.b0 * x + c.b1 * m.x1 + c.b2 * m.x2 - c.a1 * m.y1 - c.a2 * m.y2;
        if (std::fabs(y) < kSilentBelow || !std::isfinite(y)) y = 0.0;
        m.x2 = m.x1;
        m.x1 = x;
        m.y2 = m.y1;
        m.y1 = y;
        x = y;
    }
    return x;
}

int CFilterProcessor::Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries,
                              void* buffer, unsigned int byteCount) {
    if (m_bits != 16 || m_channels != 2 || !buffer) return 0;
    IEffectEntry* level = nullptr;
    IEffectEntry* cutoff = nullptr;
    for (int i = 0; entries && i < entryCount; ++i) {
        if (!entries[i]) continue;
        const char* name = entries[i]->GetParameterName();
        if (NameMatches(name, "Cutoff Frequency", 17)) cutoff = entries[i];
        if (NameMatches(name, "Level", 6)) level = entries[i];
    }
    m_levelEnvelope.Bind(level, ratio);
    m_cutoffEnvelope.Bind(cutoff, ratio);

    auto* bytes = static_cast<uint8_t*>(buffer);
    const uint32_t frames = byteCount / 4;
    for (uint32_t i = 0; i < frames; ++i) {
        const int64_t a = static_cast<int64_t>(position) + i;
        m_levelEnvelope.Advance(a);
        m_cutoffEnvelope.Advance(a);
        double cutoffTarget = 221.0;
        if (m_hasCutoffOverride.load(std::memory_order_acquire))
            cutoffTarget = m_cutoffOverride.load(std::memory_order_relaxed);
        else if (m_cutoffEnvelope.Present())
            cutoffTarget = m_cutoffEnvelope.ValueAt(a);
        double levelTarget = -1.0;
        if (m_hasLevelOverride.load(std::memory_order_acquire))
            levelTarget = m_levelOverride.load(std::memory_order_relaxed);
        else if (m_levelEnvelope.Present())
            levelTarget = m_levelEnvelope.ValueAt(a);

        if (m_warmup > 0) {
            --m_warmup;
            m_level = levelTarget;
            m_cutoff = cutoffTarget;
        } else {
            m_level = MoveToward(m_level, levelTarget, kLevelStep);
            m_cutoff = MoveToward(m_cutoff, cutoffTarget, kCutoffStep);
        }
        if (!std::isfinite(m_level)) m_level = -1.0;
        if (!std::isfinite(m_cutoff)) m_cutoff = 221.0;
        m_entry = &m_table.ForCutoffValue(m_cutoff);

        for (int c = 0; c < 2; ++c) {
            uint8_t* sample = bytes + i * 4 + c * 2;
            double x = LoadSample(sample);
            double y = Filter(c, x);
            StoreSample(sample, ClampSample(x * (m_level + 1) - y * m_level));
        }
    }
    return 1;
}

}  // namespace vantor::tonebank
