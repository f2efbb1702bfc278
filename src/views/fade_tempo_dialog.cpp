#include "views/fade_tempo_dialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantor {

namespace {

// The whole text as a number; nothing for empty text, trailing garbage or
// values that are not finite.
bool ReadNumber(const std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    return end != begin && end && *end == '\0' && std::isfinite(value);
}

}  // namespace

CFadeTempoDialog::CFadeTempoDialog(double startTempo) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", startTempo);
    m_startText = m_endText = text;
}

Result<FadeTempoValues> CFadeTempoDialog::Values() const {
    double steps = 0;
    if (!ReadNumber(m_stepsText, steps) || steps < 1 || steps > 1e6 || steps != std::floor(steps))
        return Refusal{"Invalid number of steps", "Fade Tempo", MessageIcon::Error};
    double endTempo = 0;
    if (!ReadNumber(m_endText, endTempo) || !(endTempo > 0))
        return Refusal{"Invalid end tempo.", "Fade Tempo", MessageIcon::Error};
    return FadeTempoValues{endTempo, static_cast<int32_t>(steps)};
}

}  // namespace vantor
