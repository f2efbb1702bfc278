#pragma once

#include <cinttypes>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "vantor/effect_api.h"

namespace vantor::tonebank {

// Conversions toward zero that stay defined for any double the host passes
// (NaN gives 0, out-of-range values saturate).
inline int TruncToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return static_cast<int>(v);
}

inline unsigned TruncToUnsigned(double v) {
    if (!(v > 0)) return 0;
    if (v >= 4294967295.0) return UINT_MAX;
    return static_cast<unsigned>(v);
}

// range - trunc(x), kept inside int.
inline int FromTop(int range, double x) {
    int64_t p = static_cast<int64_t>(range) - TruncToInt(x);
    return p > INT_MAX ? INT_MAX : p < INT_MIN ? INT_MIN : static_cast<int>(p);
}

// Limits to -32766 ... 32766 and truncates toward zero.
inline int16_t ClampSample(double v) {
    if (v >= 32766.0) return 32766;
    if (v <= -32766.0) return -32766;
    if (!(v == v)) return 0;
    return static_cast<int16_t>(v);
}

inline int16_t LoadSample(const uint8_t* p) {
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline void StoreSample(uint8_t* p, int16_t v) { std::memcpy(p, &v, 2); }

inline bool NameMatches(const char* name, const char* expected, size_t bytes) {
    return name && std::strncmp(name, expected, bytes) == 0;
}

inline bool NameIs(const char* name, const char* expected) { return name && std::strcmp(name, expected) == 0; }

// Display texts never run past the capacity the interface promises.
inline char* FormatText(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
inline char* FormatText(char* buffer, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, kEffectTextCapacity, format, args);
    va_end(args);
    return buffer;
}

}  // namespace vantor::tonebank
