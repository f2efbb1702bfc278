#pragma once

#include <string>
#include <vector>

namespace vantor {

class CEvent;
class CMusicDatabase;

// "Make Mix Suggestion": the songs that fit a segment of the set, those whose
// base tempo lies within 3 beats per minute of the segment's design tempo and
// whose type word (kind flags and genre) equals that of the segment's song,
// in title order.
class MixSuggestion {
public:
    static constexpr double kTempoReach = 3.0;

    // The keys of the fitting songs; empty when the event holds no segment or
    // its song has no profile.
    static std::vector<std::string> For(CMusicDatabase& database, const CEvent& event);
    // The same for a song of the database at a tempo; empty when the key has
    // no profile.
    static std::vector<std::string> For(CMusicDatabase& database, const std::string& songKey, double tempo);
};

}  // namespace vantor
