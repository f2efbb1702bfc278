#pragma once

#include <cstdint>

#include "model/music_set.h"
#include "model/set_history.h"

namespace vantor {

// The shared steps that place segments on a track. Every step keeps the
// track's invariants: node weight equals position, segments of a track share
// no frame, and a segment occupies at least its first frame, so that no two
// segments of a track ever start at the same position (the history finds
// events by position).

// End (exclusive) of the frames the event occupies: position + timeline
// length for a segment, but never less than position + 1.
int64_t OccupiedEnd(const CEvent& event);

// True when a segment of the timeline length at the position shares no frame
// with any segment of the track other than ignore, and lies inside the
// 32-bit timeline.
bool SegmentFits(const CTrack& track, int64_t position, int64_t length, const CEvent* ignore = nullptr);

// Inserts a segment event holding the design at the position of an audio
// track, recording the insert in the history when one is given. Nothing is
// changed, and null returned, when the segment would share a frame with
// another segment of the track or the track does not exist.
CTrack::Events::Node* InsertSegmentEvent(CMusicSet& set, int32_t track, int32_t position, CSegmentDesign* design,
                                         CSetHistory* history);

// Splits a segment event at position p in one history group: the event keeps
// the part before p, a clone starts at p with the rest. False, with nothing
// changed, unless p lies strictly inside the segment and both parts keep at
// least one frame; the second part never reads past the source end of the
// segment it came from.
bool SplitSegment(CMusicSet& set, CSetHistory& history, int32_t track, CEvent* event, int32_t position);

// The node holding this very event, or null.
CTrack::Events::Node* FindNode(const CTrack& track, const CEvent* event);

// Gives the event a new position and moves its node to the matching place in
// the list. Null when the event is not in the track.
CTrack::Events::Node* MoveEvent(CTrack& track, CEvent* event, int32_t position);

// The tempo in effect at a position: the last tempo change at or before it on
// the tempo track, else the given default.
double TempoAt(const CMusicSet& set, int32_t position, double defaultTempo);

}  // namespace vantor
