#include "database/song_file_name.h"

#include <vector>

#include "platform/file_io.h"

namespace vantor {

namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

}  // namespace

SongFileName SplitSongFileName(const std::string& path) {
    std::string name = FileNameOf(path);
    name.resize(ExtensionStart(name));

    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t hyphen; (hyphen = name.find('-', start)) != std::string::npos; start = hyphen + 1)
        fields.push_back(name.substr(start, hyphen - start));
    fields.push_back(name.substr(start));

    SongFileName result;
    result.artist = Trim(fields[0]);
    if (fields.size() >= 3) {
        result.title = Trim(fields[1]);
        result.mixer = Trim(fields[2]);
    } else if (fields.size() == 2) {
        const std::string& rest = fields[1];
        size_t open = rest.find('(');
        if (open == std::string::npos) {
            result.title = Trim(rest);
        } else {
            result.title = Trim(rest.substr(0, open));
            size_t close = rest.find(')', open + 1);
            result.mixer = Trim(rest.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
        }
    }
    return result;
}

}  // namespace vantor
