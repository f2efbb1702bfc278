#include "envelope_cursor.h"

namespace vantor::tonebank {

namespace {

// A host entry that never stops moving on must not hang the renderer.
constexpr int kMaxSpansPerStep = 1 << 16;

int64_t ScaledFrame(unsigned int frame, double ratio) {
    double scaled = frame * ratio;
    if (!(scaled == scaled)) return 0;
    if (scaled >= 9.0e18) return INT64_MAX;
    if (scaled <= -9.0e18) return INT64_MIN;
    return static_cast<int64_t>(scaled);
}

}  // namespace

void EnvelopeCursor::Bind(IEffectEntry* entry, double ratio) {
    m_entry = entry;
    m_ratio = ratio;
    Load();
}

void EnvelopeCursor::Load() {
    m_valid = m_entry && m_entry->IsValid();
    if (!m_valid) return;
    m_start = ScaledFrame(m_entry->GetStart(), m_ratio);
    m_end = ScaledFrame(m_entry->GetEnd(), m_ratio);
    m_startValue = m_entry->GetStartValue();
    m_endValue = m_entry->GetEndValue();
}

bool EnvelopeCursor::Advance(int64_t position) {
    bool ended = false;
    for (int n = 0; m_valid && position > m_end && n < kMaxSpansPerStep; ++n) {
        ended = true;
        m_entry->Next();
        Load();
    }
    return ended;
}

double EnvelopeCursor::ValueAt(int64_t position) const {
    double span = static_cast<double>(m_end) - static_cast<double>(m_start);
    if (!(span > 0)) return m_startValue;
    return m_startValue + (m_endValue - m_startValue) / span * (static_cast<double>(position) - m_start);
}

}  // namespace vantor::tonebank
