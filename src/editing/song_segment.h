#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/music_set.h"
#include "platform/result.h"

namespace vantor {

class CMusicDatabase;

// A section of a database song to be placed on an audio track, as dropping a
// song's segment design on the set editor places it.
struct SongSegmentRequest {
    std::string key;
    int32_t track = 1;
    double atSeconds = 0.0;
    std::optional<double> fromSeconds;  // in the song; the song's start when empty
    std::optional<double> toSeconds;    // in the song; the song's end when empty
    double ratio = 1.0;
    // Resample to the tempo in effect at the position: ratio x design tempo / that tempo.
    bool fitTempo = false;
};

// What was placed: the song's title, its frames and the ratio it plays at.
struct PlacedSongSegment {
    std::string title;
    int32_t start = 0;
    int32_t end = 0;
    double ratio = 1.0;
};

// Builds the design (name, tempo, the normalization from the song's summary,
// built first when missing) and inserts it. Refused with the Insert Segment
// messages when the song, its wave file or a matching sample rate is missing,
// when the section lies outside the song, when the ratio (after fitting the
// tempo) lies outside CSegment's ratio range, or when it would overlap
// another segment; the set is then unchanged.
Result<PlacedSongSegment> InsertSongSegment(CMusicSet& set, CMusicDatabase& database, const SongSegmentRequest& request,
                                            double referencePoint, double defaultTempo);

}  // namespace vantor
