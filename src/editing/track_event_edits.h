#pragma once

#include <cstdint>
#include <string>

#include "editing/event_drag.h"
#include "model/set_history.h"
#include "model/track.h"
#include "platform/result.h"

namespace vantor {

// The event editor's changes to one track: moving, resizing and renaming a
// segment, moving and retuning a tempo change, deleting an event, clearing
// the track. Each change is recorded in the set editor's history; a refused
// change leaves the event as it was and records nothing.
//
// Overlaps are measured on the timeline: a segment covers position +
// (end - start) x ratio, so neither a previous segment's span nor the
// updated one's may reach the neighbouring event, whatever the ratios.
class TrackEventEdits {
public:
    TrackEventEdits(CSetHistory& history, CTrack& track, int32_t trackIndex, SongLengthLookup songLength = {})
        : m_history(history), m_track(track), m_index(trackIndex), m_songLength(std::move(songLength)) {}

    // A segment from start to end: the end field counts source frames from
    // the start (end - start is the new source length). The node moves to
    // the event's new place in the list.
    Status UpdateSegment(CEvent* event, int64_t start, int64_t end, const std::string& name);
    // A tempo change at start with the tempo (100 to 150 bpm). The tempo
    // change at the head of the track stays at 0; a change may move past its
    // neighbours (its node moves along) but not onto another one's position.
    Status UpdateTempo(CEvent* event, int64_t start, double tempo);
    // Removes the event; in tempo mode the tempo change at the head stays.
    Status Delete(CEvent* event, bool tempoMode);
    // Removes every event but, in tempo mode, the tempo change at the head;
    // one group, so one Undo restores the track.
    int32_t Clear(bool tempoMode);

private:
    CSetHistory& m_history;
    CTrack& m_track;
    int32_t m_index;
    SongLengthLookup m_songLength;
};

}  // namespace vantor
