#pragma once

#include <string>

#include "editing/segment_drop.h"

namespace vantor {

// The "Insert Segment" dialog shown after a segment was dropped: the
// segment's name and tempo, the insert position and the tempo in effect
// there, and the choice of what to do about the tempo: mix into a segment
// at the position, resample the segment, split the tempo, or nothing.
class CInsertSegmentDialog {
public:
    explicit CInsertSegmentDialog(InsertChoices choices);

    const InsertChoices& GetChoices() const { return m_choices; }
    const std::string& GetSegmentName() const { return m_choices.segmentName; }
    // "%3.2f"
    std::string GetSegmentTempoText() const;
    // "%u"
    std::string GetPositionText() const;
    std::string GetInsertTempoText() const;
    // The labels of "Mix into:" ("<design name> - <song title>").
    const std::vector<std::string>& GetMixLabels() const { return m_choices.mixLabels; }

    bool IsAvailable(InsertChoice choice) const;
    InsertChoice GetChoice() const { return m_choice; }
    // False (and the choice unchanged) for an unavailable one.
    bool Choose(InsertChoice choice);
    int GetMixTarget() const { return m_mixTarget; }
    bool ChooseMixTarget(int index);

private:
    InsertChoices m_choices;
    InsertChoice m_choice;
    int m_mixTarget = 0;
};

}  // namespace vantor
