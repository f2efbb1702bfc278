#include "editing/song_lengths.h"

#include "database/music_database.h"
#include "engine/wave_file.h"

namespace vantor {

SongLengthLookup SongLengthsFrom(CMusicDatabase* database) {
    return [database](const std::string& key) -> std::optional<int64_t> {
        RefPtr<CSongProfile> song = database ? database->GetSong(key) : nullptr;
        if (!song) return std::nullopt;
        CWaveFile wave(song->GetLocalPath(), 100);
        if (wave.GetOpenResult() != 0) return std::nullopt;
        return static_cast<int64_t>(wave.GetLength());
    };
}

}  // namespace vantor
