#include "library/song_import.h"

#include <cctype>
#include <filesystem>

#include "database/music_database.h"
#include "database/song_file_name.h"
#include "engine/mp3_conversion.h"
#include "engine/wave_file.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

constexpr const char* kCaption = "Edit Profile";

Refusal Refuse(std::string text) { return {std::move(text), kCaption, MessageIcon::Error}; }

std::string LowerExtension(const std::string& path) {
    std::string name = FileNameOf(path);
    const size_t dot = name.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The format check of the song profile editor, on the file's own header.
bool IsSupportedWave(CWaveFile& wave) {
    const WaveFormat* format = wave.GetFormat();
    return format && format->formatTag == 1 && format->channels == 2 && format->samplesPerSec == 44100 &&
           format->bitsPerSample == 16;
}

}  // namespace

Result<ImportedSong> ImportSongFile(CMusicDatabase& database, const std::string& file,
                                    const SongImportSettings& settings, const std::function<void(int)>& progress,
                                    const ReplaceQuestion& mayReplace) {
    std::string path = std::filesystem::absolute(file).lexically_normal().string();
    if (!FileExists(path)) return Refuse("Local filename does not exist.");
    const std::string extension = LowerExtension(path);
    if (extension != ".wav" && extension != ".mp3")
        return Refuse(path + ": only wave (.wav) and MP3 (.mp3) files can be added.");
    const std::string wavePath = ReplaceExtension(path, ".wav");
    if (RefPtr<CSongProfile> stored = database.GetSong(path)) return ImportedSong{stored, true};
    if (RefPtr<CSongProfile> stored = database.GetSong(wavePath)) return ImportedSong{stored, true};
    if (wavePath.size() > 254) return Refuse("Local or archive path is too long (must be < 255 characters)");
    if (extension == ".mp3") {
        if (FileExists(wavePath) && !(mayReplace && mayReplace(wavePath)))
            return Refuse(wavePath + " already exists and was not replaced.");
        // Decoded beside the MP3 file; the song is the wave file from then on.
        if (!ConvertMp3ToWave(path, wavePath, progress)) return Refuse(path + ": the MP3 file could not be decoded.");
        path = wavePath;
    }
    {
        CWaveFile wave(path, 100);
        if (!IsSupportedWave(wave))
            return Refuse("Wave file is not in a supported format. All wave files must be:\n"
                          "PCM, 44.1 khz, 16-bit, 2 channels.");
        if (wave.GetLength() == 0) return Refuse(path + ": the wave file holds no audio.");
    }

    SongFileName names;
    if (settings.fillFromFileName) names = SplitSongFileName(path);
    if (names.title.empty()) names.title = "Unknown";
    if (names.artist.empty()) names.artist = "Unknown";
    auto profile = MakeRef<CSongProfile>();
    profile->SetLocalPath(path);
    profile->SetArtist(names.artist);
    profile->SetTitle(names.title);
    profile->SetMixer(names.mixer);
    profile->SetTempo(settings.defaultTempo);
    profile->SetType(CSongProfile::kDefaultType);
    if (!database.PutSong(*profile)) return Refuse("Could not store " + path + ".");
    return ImportedSong{profile, false};
}

}  // namespace vantor
