#pragma once

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace vantor {

// What a confirmed "Fade Tempo" dialog gives: the end tempo and the number
// of steps.
struct FadeTempoValues {
    double endTempo = 0.0;
    int32_t steps = 0;
};

// The "Fade Tempo" dialog: shows the start tempo, proposes it as the end
// tempo (both "%.3f") and 10 steps. Its fields are text, as the user types
// them; Values() reads them and refuses what cannot be a fade.
class CFadeTempoDialog {
public:
    explicit CFadeTempoDialog(double startTempo);

    const std::string& GetStartTempoText() const { return m_startText; }
    const std::string& GetEndTempoText() const { return m_endText; }
    const std::string& GetStepsText() const { return m_stepsText; }
    void SetEndTempoText(std::string text) { m_endText = std::move(text); }
    void SetStepsText(std::string text) { m_stepsText = std::move(text); }

    // The step count must be a whole number of 1 or more, the end tempo a
    // finite number above 0.
    Result<FadeTempoValues> Values() const;

private:
    std::string m_startText;
    std::string m_endText;
    std::string m_stepsText = "10";
};

}  // namespace vantor
