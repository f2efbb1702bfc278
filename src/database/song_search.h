#pragma once

#include <string>
#include <vector>

namespace vantor {

class CMusicDatabase;

// Which text of a profile a search looks at.
enum class SongTextField { Title, Artist };

// The keys of the songs whose title (or artist) holds the text, compared
// without regard to case, in title order.
std::vector<std::string> FindSongKeys(CMusicDatabase& database, SongTextField field, const std::string& text);

}  // namespace vantor
