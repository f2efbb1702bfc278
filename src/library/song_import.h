#pragma once

#include <functional>
#include <string>

#include "database/song_profile.h"
#include "model/ref_ptr.h"
#include "platform/result.h"

namespace vantor {

class CMusicDatabase;

// What adding a file needs from the configuration.
struct SongImportSettings {
    bool fillFromFileName = true;
    double defaultTempo = 130.0;
};

// Asked before an MP3 file's decoding replaces a wave file of the same name
// that the database does not hold; false keeps the wave file.
using ReplaceQuestion = std::function<bool(const std::string& path)>;

// A file that was added, or one that the database already held.
struct ImportedSong {
    RefPtr<CSongProfile> profile;
    bool alreadyStored = false;
};

// Adds one audio file as a song with a default profile: an MP3 file is
// decoded to a wave file beside it first (progress in percent), the wave
// file must be 16-bit stereo PCM at 44100 Hz, and artist, title and mixer
// come from the file name when the settings say so ("Unknown" when empty).
// A file already in the database is not added again. Refused with the
// profile editor's messages otherwise, and when the wave file holds no audio.
Result<ImportedSong> ImportSongFile(CMusicDatabase& database, const std::string& file,
                                    const SongImportSettings& settings, const std::function<void(int)>& progress,
                                    const ReplaceQuestion& mayReplace);

}  // namespace vantor
