#include "echo_processor.h"

#include <algorithm>

#include "effect_math.h"

namespace vantor::tonebank {

namespace {

constexpr size_t kEchoLineSamples = 278528 / 2;   // a little over 3 s
constexpr size_t kFlangerLineSamples = 10240 / 2;
constexpr double kDefaultDecay = 0.6;

}  // namespace

CEchoProcessor::CEchoProcessor(bool flanger) : m_flanger(flanger) { Init(16, 2); }

int CEchoProcessor::Init(int bitsPerSample, int channels) {
    m_bits = bitsPerSample;
    m_channels = channels;
    for (auto& line : m_lines) line.assign(m_flanger ? kFlangerLineSamples : kEchoLineSamples, 0);
    m_write = 0;
    m_roundOpen = false;
    return 1;
}

void CEchoProcessor::StartRound(int64_t position) {
    m_roundDecay = m_decay.Present() ? m_decay.ValueAt(position) : kDefaultDecay;
    const size_t size = m_lines[0].size();
    size_t delay = m_flanger ? 33 : 44100;
    if (m_delay.Present()) {
        double seconds = m_delay.ValueAt(position);
        // A delay beyond the line would wrap onto itself; a negative one has no meaning.
        delay = seconds > 0 ? std::min<size_t>(TruncToUnsigned(seconds * 44100), size - 1) : 0;
    }
    m_roundDelay = delay;
}

int CEchoProcessor::Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries,
                            void* buffer, unsigned int byteCount) {
    if (m_bits != 16 || m_channels != 2 || !buffer) return 0;
    IEffectEntry* decay = nullptr;
    IEffectEntry* delay = nullptr;
    for (int i = 0; entries && i < entryCount; ++i) {
        if (!entries[i]) continue;
        const char* name = entries[i]->GetParameterName();
        if (NameMatches(name, "Decay", 6)) decay = entries[i];
        if (NameMatches(name, "Delay", 6)) delay = entries[i];
    }
    m_decay.Bind(decay, ratio);
    m_delay.Bind(delay, ratio);

    auto* bytes = static_cast<uint8_t*>(buffer);
    const size_t size = m_lines[0].size();
    const uint32_t frames = byteCount / 4;
    for (uint32_t i = 0; i < frames; ++i) {
        const int64_t a = static_cast<int64_t>(position) + i;
        bool spanEnded = m_decay.Advance(a);
        spanEnded = m_delay.Advance(a) || spanEnded;
        if (!m_roundOpen || a != m_nextPosition || a % kRoundFrames == 0 || spanEnded) StartRound(a);
        m_roundOpen = true;
        m_nextPosition = a + 1;

        const size_t target = (m_write + m_roundDelay) % size;
        for (int c = 0; c < 2; ++c) {
            std::vector<int16_t>& line = m_lines[c];
            uint8_t* sample = bytes + i * 4 + c * 2;
            int16_t y = ClampSample(static_cast<double>(LoadSample(sample)) + line[m_write]);
            line[m_write] = 0;
            StoreSample(sample, y);
            line[target] = ClampSample(line[target] + y * m_roundDecay);
        }
        m_write = (m_write + 1) % size;
    }
    return 1;
}

}  // namespace vantor::tonebank
