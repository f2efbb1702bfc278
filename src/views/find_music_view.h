#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "database/song_text_index.h"

namespace vantor {

class CConfiguration;
class CMusicDatabase;
class CSongProfile;
class IUserInterface;

// The "Find Music" window: a search of the song store by tempo range,
// mixer, album, kind boxes and genre boxes; the matching keys, in title
// order, are shown in the music database window.
class CFindMusicView {
public:
    static constexpr const char* kTitle = "Find Music";

    struct Fields {
        std::string mixer;
        std::string album;
        std::string tempoFrom = "0";
        std::string tempoTo = "1000";
        bool song = false, sample = false, beats = false, acapella = false;
    };

    // showKeys opens the music database window when none is open and
    // hands it the key list.
    CFindMusicView(IUserInterface& ui, CMusicDatabase& database, const CConfiguration& config,
                   std::function<void(std::vector<std::string>)> showKeys);

    Fields& GetFields() { return m_fields; }
    // The genre boxes by genre id, one per configured genre.
    const std::map<int32_t, bool>& GetGenreBoxes() const { return m_genreBoxes; }
    // False for an id that has no box.
    bool SetGenreBox(int32_t genreId, bool checked);
    void SelectAll();
    void SelectNone();

    // The keys found; refused (a message, nothing shown) when a tempo bound
    // is not a number.
    std::vector<std::string> Find();

private:
    bool Matches(const SongTextRow& song, double from, double to, const std::string& mixer, const std::string& album,
                 int32_t kinds, bool anyGenre) const;

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    std::function<void(std::vector<std::string>)> m_showKeys;
    Fields m_fields;
    std::map<int32_t, bool> m_genreBoxes;
};

}  // namespace vantor
