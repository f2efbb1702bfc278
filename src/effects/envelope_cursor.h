#pragma once

#include <cstdint>

#include "vantor/effect_api.h"

namespace vantor::tonebank {

// Reads one parameter's envelope at output positions: the value runs in a
// straight line from (trunc(start x ratio), start value) to
// (trunc(end x ratio), end value), and the entry moves to its next span once
// the position passes the span's end. A missing or invalid entry is absent.
class EnvelopeCursor {
public:
    void Bind(IEffectEntry* entry, double ratio);
    bool Present() const { return m_entry && m_valid; }
    // Moves past every span that ends before position; true when one ended.
    bool Advance(int64_t position);
    double ValueAt(int64_t position) const;
    // Output positions of the current span's first and last frames, and its values there.
    int64_t Start() const { return m_start; }
    int64_t End() const { return m_end; }
    double StartValue() const { return m_startValue; }
    double EndValue() const { return m_endValue; }

private:
    void Load();

    IEffectEntry* m_entry = nullptr;
    double m_ratio = 1.0;
    bool m_valid = false;
    int64_t m_start = 0;
    int64_t m_end = 0;
    double m_startValue = 0.0;
    double m_endValue = 0.0;
};

}  // namespace vantor::tonebank
