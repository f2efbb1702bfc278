#pragma once

#include <array>
#include <optional>
#include <string>

#include "config/genre_preset.h"
#include "database/song_profile.h"
#include "platform/result.h"

namespace vantor {

class CMusicDatabase;

// The profile fields that can be changed one at a time, by name.
inline constexpr std::array<const char*, 10> kProfileFieldNames = {
    "title", "artist", "mixer", "album", "tempo", "type", "genre", "private", "archive-path", "archive-name"};

// The kinds a profile's type word names, in the order of its type bits.
inline constexpr std::array<const char*, 4> kProfileKindNames = {"song", "sample", "beats", "acapella"};

// The kind word of a type: song, sample, beats or acapella.
const char* ProfileKindName(int32_t type);

// The genre's name from the presets, else its number.
std::string GenreName(const GenrePresets& genres, int32_t id);

// A genre's id from its preset name or its number 0-255; nothing otherwise.
std::optional<int32_t> GenreIdFromText(const GenrePresets& genres, const std::string& text);

// Sets one field from its text, with the limits of the profile's fields:
// text fields up to their capacity, a tempo above 0 and at most 1000 BPM, a
// kind from kProfileKindNames, a genre by preset name or number 0-255, a
// switch as on/off, yes/no, true/false or 1/0. Refused (profile unchanged)
// with the reason otherwise.
Status SetProfileField(CSongProfile& profile, const std::string& field, const std::string& value,
                       const GenrePresets& genres);

// Stores the changed profile in place of the stored one. A change between
// song and sample moves it to the other store: it is stored there first, so
// that a failure never leaves it in neither.
Status StoreChangedProfile(CMusicDatabase& database, const CSongProfile& stored, const CSongProfile& changed);

}  // namespace vantor
