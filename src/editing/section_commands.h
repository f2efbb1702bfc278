#pragma once

#include <cstdint>
#include <functional>

#include "editing/set_editor_state.h"
#include "platform/result.h"

namespace vantor {

// The set editor's commands on a section of the whole set between the
// markers, and on the tempo: Split Tempo, blank space, Erase / Copy / Cut /
// Paste Section, Fade Tempo, Adjust to Tempo, Adjust All and the speed
// nudges. Each changes the set through the editor state and records every
// change in the history, one group where one Undo must take the whole command
// back. Refusals come back with the message the user is to see, and leave the
// set as it was. Questions asked in the middle of a command are callbacks, so
// that the caller decides how the user is asked.
class SetSectionCommands {
public:
    // The eight speed nudges, slowest step first.
    static constexpr double kNudgeSteps[8] = {-0.01, -0.001, -0.0001, -0.00001, 0.00001, 0.0001, 0.001, 0.01};
    // A tempo change closer than this to a segment's start uses the segment
    // as it is instead of splitting it.
    static constexpr int32_t kFadeSnapFrames = 20;

    explicit SetSectionCommands(SetEditorState& state) : m_state(state) {}

    // A tempo change at the left position with the tempo in effect there.
    Status SplitTempo();

    // Moves every event at or after the left position right by the distance
    // between the markers, in one group; the tempo change at 0 stays.
    Status InsertBlankSpace();

    // Erases the section between the markers from every track in one group:
    // tempo changes inside go, segments are cut at the section's borders.
    // shiftLeft is asked afterwards whether later events close the gap. The
    // tempo change at 0 always stays.
    Status EraseSection(const std::function<bool()>& shiftLeft);

    // Puts the section between the markers on the clipboard as a set clip.
    Status CopySection();
    Status CutSection(const std::function<bool()>& shiftLeft);

    // What a paste did.
    struct PasteReport {
        int32_t pasted = 0;
        // The clip held more track arrays than the set has audio tracks.
        bool moreTracks = false;
    };
    // Pastes the clipboard's set clip at the left position, track array k
    // into audio track k + 1, in one group. A segment that does not fit asks
    // keepGoing; false ends the paste (what was pasted stays, one Undo).
    Result<PasteReport> PasteSection(const std::function<bool()>& keepGoing);

    // The start tempo of a fade: the tempo change at the left position.
    // Refused when the markers are not in order or no tempo lies there.
    Result<double> FadeTempoStart() const;
    // Fades the tempo from the start tempo to endTempo in steps tempo
    // changes between the markers, in one group, resampling the segments
    // and moving later events to the new tempo.
    Status FadeTempo(double endTempo, int32_t steps);

    // Resamples every selected segment to the tempo in effect at its
    // position; each is its own Undo.
    Status AdjustToTempo();
    // The same for every segment between the current tempo change and the
    // next one; nothing when no tempo change is current.
    Status AdjustAll();
    // Changes the ratio of every selected segment by the step, or, with no
    // segment selected, the current tempo change's tempo by 100 x step.
    Status NudgeSpeed(double step);

    // Clones and shifts the section [a, b) of the audio tracks into a clip:
    // one array per audio track, designs trimmed to the section, offsets
    // relative to a.
    void BuildClip(int32_t a, int32_t b, class CSetClip& clip) const;

private:
    // One event's new place and, for a segment, its new ratio and tempo.
    struct Change {
        RefPtr<CEvent> event;
        int32_t position = 0;
        double ratio = 0.0;  // 0 keeps the ratio
        double tempo = 0.0;  // 0 keeps the design tempo
    };
    // Applies the changes to one track, each recorded as a replace, in an
    // order in which no event ever lands on the position of another (the
    // history finds events by position).
    void ApplyChanges(int32_t track, std::vector<Change>& changes);
    // Resamples segments to new ratios after checking them all: ratios
    // inside the allowed range and no overlap with neighbours.
    Status Resample(const std::vector<std::pair<int32_t, Change>>& changes, const char* caption);
    // Scales positions after g for one fade step; false (nothing changed in
    // that track) when an event would leave the timeline.
    bool ScaleAfter(int32_t g, double factor, double tempo);

    SetEditorState& m_state;
};

}  // namespace vantor
