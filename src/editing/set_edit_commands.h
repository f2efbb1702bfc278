#pragma once

#include <cstdint>

#include "editing/set_editor_state.h"
#include "platform/result.h"

namespace vantor {

class CMusicDatabase;

// The span Add Effect works on: [start, end) of an audio track.
struct AddEffectSpan {
    int32_t track = 0;
    int32_t start = 0;
    int32_t end = 0;
};

// The set editor's commands on the selection, the markers and the history,
// without any user interface: each changes the set through the shared steps,
// records every change in the history (grouped where one Undo must take the
// whole command back), marks the rows to repaint, and returns a refusal with
// the message the user is to see.
class SetEditCommands {
public:
    explicit SetEditCommands(SetEditorState& state) : m_state(state) {}

    // Several selected segments go to the clipboard as a set clip, offsets
    // from the earliest of them; else the current segment of the first audio
    // track with a selection goes alone as a segment design. False when
    // nothing was copied.
    bool Copy();
    // Removes every selected event of the audio tracks, one history record
    // (and one Undo) each. Returns the number removed.
    int32_t Erase();
    // Copy, then Erase; returns the number removed.
    int32_t Cut();

    static bool ClipboardHasSegmentDesign();
    // Inserts the clipboard's segment design at the left position of the
    // selected track.
    Result<CEvent*> PasteSegmentDesign();

    // Splits the current segment of the first track with a selection at the
    // left position. Nothing happens (success) when that is the tempo track or
    // nothing is selected.
    Status SplitSegmentAtLeft();

    // Gives the event a changed design, as the segment designer hands it back.
    // A vanished event puts the design on the clipboard instead.
    Status ReplaceSegmentDesign(int32_t track, CEvent* event, const CSegmentDesign& design);

    // The checks of Add Effect: an audio track selected, the left marker
    // before the right one.
    Result<AddEffectSpan> CheckAddEffect() const;

    // The loop range [left position, right position].
    Status SetLoop();

    // Resamples a segment to play at the tempo: ratio x design tempo / tempo,
    // and the design takes the tempo. Refused when the longer segment would
    // overlap another one.
    Status ResampleToTempo(int32_t track, CEvent* event, double tempo);
    // A tempo change at the position; one that is there already takes the
    // new tempo.
    Status PlaceTempoChange(int32_t position, double tempo);

    // Adds a clone of the current segment's design to its song's profile and
    // writes the profile back; false when no segment is current.
    Result<bool> CopyToProfile(CMusicDatabase& database);

    // Undo and Revert Changes; false when the history holds no records.
    bool Undo();
    bool Revert();
    // After the audio side took the history: pending marks cleared, records
    // dropped, selections cleared. False when there was nothing to commit.
    bool Commit();

private:
    // The current segment event of the first track with a selection, when
    // that is an audio track.
    CEvent* CurrentAudioSegment(int32_t* track) const;

    SetEditorState& m_state;
};

}  // namespace vantor
