#pragma once

#include <string>
#include <vector>

#include "model/music_set.h"
#include "platform/result.h"

namespace vantor {

class CEffectManagerImpl;

// One point of an effect envelope: seconds from the segment's start on the
// timeline, and the parameter's level there.
struct EnvelopePoint {
    double seconds = 0.0;
    double level = 0.0;
};

// The values an effect's parameter takes: the two ends of its control, as
// the effect type maps them (an end may be infinite, as -INF dB).
struct ParameterRange {
    double lowest = 0.0;
    double highest = 0.0;
};

// The range of a registered effect's parameter; refused when the effect or
// the parameter is not registered.
Result<ParameterRange> FindParameterRange(CEffectManagerImpl& effects, const std::string& effect,
                                         const std::string& parameter);

// Adds an effect profile to the segment that plays on the audio track at the
// time: a piece between each pair of points, stored in frames of the song as
// the renderer reads them. A profile of the same effect and parameter is
// replaced. Returns the segment's event; refused when no segment plays
// there, a piece does not end after it starts, or a level lies outside the
// parameter's range.
Result<CEvent*> AddSegmentEnvelope(CMusicSet& set, CEffectManagerImpl& effects, int32_t track, double atSeconds,
                                   const std::string& effect, const std::string& parameter,
                                   const std::vector<EnvelopePoint>& points);

// Sets a constant effect on a whole audio track, replacing the track's
// profile of the same effect and parameter; refused outside the parameter's
// range.
Status AddTrackEffect(CMusicSet& set, CEffectManagerImpl& effects, int32_t track, const std::string& effect,
                      const std::string& parameter, double value);

}  // namespace vantor
