#pragma once

#include <functional>
#include <string>
#include <vector>

#include "database/song_profile.h"
#include "editing/set_editor_state.h"
#include "platform/result.h"

namespace vantor {

class CMusicDatabase;

// What the "Insert Segment" dialog offers after a drop.
enum class InsertChoice { MixInto, Resample, SplitTempo, Nothing };

struct InsertChoices {
    std::string segmentName;
    double segmentTempo = 0;  // the design tempo Td
    int32_t position = 0;
    double insertTempo = 0;   // the tempo T in effect at the position
    // The segments at the position in the other audio tracks, labelled
    // "<design name> - <song title>".
    std::vector<SegmentAt> mixTargets;
    std::vector<std::string> mixLabels;
    bool mixAvailable = false;
    bool resampleAvailable = false;
    bool splitAvailable = false;
    InsertChoice defaultChoice = InsertChoice::Nothing;
    // Nothing to offer: the dialog ends at once with "Do nothing.".
    bool endsAtOnce = false;
};

// Inserting a segment design dropped on a track: finding its song, checking
// its wave file, preparing a copy of the design for the set, placing it
// (replacing a selected segment), and the choices offered afterwards.
class SegmentDrop {
public:
    SegmentDrop(SetEditorState& state, CMusicDatabase* database) : m_state(state), m_database(database) {}

    // The song's profile and wave file are checked and a copy of the dropped
    // design is prepared (the window it came from keeps its own): when the
    // song has no waveform summary yet it is built (progress reports 0 to
    // 100) and the copy's normalization computed from it.
    Result<RefPtr<CSegmentDesign>> Prepare(const CSegmentDesign& dropped, const std::function<void(int)>& progress);

    // The segment a drop would replace: the current segment of the first
    // track with a selection, when there is one.
    std::optional<SegmentAt> ReplaceTarget() const;

    // Places the prepared design at the position (offset 0). When replacing,
    // the new segment must fit where the old one was; only then does the old
    // one go to the clipboard and leave the set. The caller groups the
    // history around the whole drop.
    Result<CEvent*> Insert(CSegmentDesign* design, int32_t track, int32_t position,
                           const std::optional<SegmentAt>& replacing);

    // The dialog's choices for a segment inserted into track at position.
    // "Mix into:" needs the mixing helper.
    InsertChoices Choices(int32_t track, int32_t position, const CSegmentDesign& design,
                          bool mixingHelperAvailable) const;

private:
    SetEditorState& m_state;
    CMusicDatabase* m_database;
};

}  // namespace vantor
