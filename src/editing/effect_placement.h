#pragma once

#include <string>
#include <vector>

#include "model/music_set.h"
#include "platform/result.h"

namespace vantor {

// One point of an effect envelope: seconds from the segment's start on the
// timeline, and the parameter's level there.
struct EnvelopePoint {
    double seconds = 0.0;
    double level = 0.0;
};

// Adds an effect profile to the segment that plays on the audio track at the
// time: a piece between each pair of points, stored in frames of the song as
// the renderer reads them. Returns the segment's event; refused when no
// segment plays there or a piece does not end after it starts.
Result<CEvent*> AddSegmentEnvelope(CMusicSet& set, int32_t track, double atSeconds, const std::string& effect,
                                   const std::string& parameter, const std::vector<EnvelopePoint>& points);

// Sets a constant effect on a whole audio track.
Status AddTrackEffect(CMusicSet& set, int32_t track, const std::string& effect, const std::string& parameter,
                      double value);

}  // namespace vantor
