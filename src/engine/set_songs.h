#pragma once

#include <string>
#include <vector>

#include "model/music_set.h"

namespace vantor {

class CMusicDatabase;

// A song of a set that cannot be rendered as placed: its segments play
// silence where the song is missing.
struct UnreadableSong {
    std::string key;
    std::string title;
    std::string reason;  // "not in the music database", "the file is missing", "cut short at 12.5 s of 30.0 s"
};

// Every song the set's segments use that is not in the database, whose file
// cannot be opened, or whose audio ends before a segment's end; each song
// once, in the order the tracks name them.
std::vector<UnreadableSong> FindUnreadableSongs(const CMusicSet& set, CMusicDatabase& database);

// True when one of the set's songs is the file at path, so that rendering
// the set into it would destroy what it reads.
bool SetReadsFile(const CMusicSet& set, CMusicDatabase& database, const std::string& path);

// The text that tells the user which songs will be silent, one line each.
std::string DescribeUnreadableSongs(const std::vector<UnreadableSong>& songs);

}  // namespace vantor
