#pragma once

#include <string>

namespace vantor {

// Artist, title and mixer as the file name of a song suggests them.
struct SongFileName {
    std::string artist;
    std::string title;
    std::string mixer;
};

// Splits the file name (without directory and extension) at "-": field 0 is
// the artist; with three or more fields, fields 1 and 2 are title and mixer;
// with two, field 1 is the title, or when it holds "(" the part before it is
// the title and the part inside the parentheses the mixer. Every value is
// trimmed of blanks.
SongFileName SplitSongFileName(const std::string& path);

}  // namespace vantor
