#pragma once

#include <cstdint>

#include "model/music_set.h"
#include "model/set_history.h"

namespace vantor {

// Inserts a segment event holding the design at the position of an audio
// track, recording the insert in the history when one is given. Nothing is
// changed, and null returned, when the segment would share a frame with
// another segment of the track or the track does not exist.
CTrack::Events::Node* InsertSegmentEvent(CMusicSet& set, int32_t track, int32_t position, CSegmentDesign* design,
                                         CSetHistory* history);

// The tempo in effect at a position: the last tempo change at or before it on
// the tempo track, else the given default.
double TempoAt(const CMusicSet& set, int32_t position, double defaultTempo);

}  // namespace vantor
