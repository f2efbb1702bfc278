#include "library/batch_add.h"

#include "database/music_database.h"
#include "database/song_file_name.h"
#include "database/song_profile.h"
#include "engine/mp3_file.h"
#include "engine/wave_file.h"
#include "model/recent_title_list.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

constexpr const char* kCaption = "Add Batch of Music";

Refusal Refuse(std::string text) { return {std::move(text), kCaption, MessageIcon::Error}; }

// A wave file that exists must be in the one format every song is in.
bool IsUnsupportedWave(const std::string& file) {
    if (!FileExists(file)) return false;
    CWaveFile wave(file, 100);
    const WaveFormat* format = wave.GetFormat();
    return !format || format->formatTag != 1 || format->channels != 2 || format->samplesPerSec != 44100 ||
           format->bitsPerSample != 16;
}

}  // namespace

std::string LocalPathIn(const std::string& directory, const std::string& file) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + FileNameOf(file);
}

CBatchAdd::CBatchAdd(CMusicDatabase& database, CRecentTitleList* recent, QueueLoad queueLoad, LabelOf labelOf)
    : m_database(database), m_recent(recent), m_queueLoad(std::move(queueLoad)), m_labelOf(std::move(labelOf)) {}

BatchAddOutcome CBatchAdd::Run(const std::vector<std::string>& files, const BatchAddSettings& settings) {
    BatchAddOutcome outcome;
    const bool archive = settings.location == BatchAddSettings::Location::Archive;
    if (archive && !settings.useVolumeLabel) outcome.archiveName = settings.archiveName;
    for (const std::string& file : files) {
        if (archive && settings.useVolumeLabel && outcome.archiveName.empty() && m_labelOf)
            outcome.archiveName = m_labelOf(file);
        // The key the profile will be stored under: in archive mode the
        // local copy's path, not the archive file's.
        const std::string localPath = archive ? LocalPathIn(settings.localWaveDirectory, file) : file;
        const std::string key = ReplaceExtension(localPath, ".wav");
        if (m_database.GetSong(localPath) || m_database.GetSong(key)) {
            outcome.skipped.push_back(file);
            continue;
        }
        if (key.size() > LoadJob::kMaxText || localPath.size() > LoadJob::kMaxText ||
            (archive && file.size() > LoadJob::kMaxText)) {
            outcome.refused.emplace_back(file, Refuse("Local or archive path is too long (must be < 255 characters)"));
            continue;
        }
        if (archive && outcome.archiveName.size() > 49) {
            outcome.refused.emplace_back(file, Refuse("The archive name is too long (must be < 50 characters)"));
            continue;
        }
        const bool mp3 = CWaveFile::SourceExtension(file) == "mp3";
        // An MP3 file without a frame the decoder takes would leave a song
        // whose wave file never comes.
        if (mp3 && FileExists(file) && !CMP3File(file).IsValid()) {
            outcome.refused.emplace_back(file, Refuse(file + ": the MP3 file could not be decoded."));
            continue;
        }
        if (!mp3 && IsUnsupportedWave(file)) {
            outcome.refused.emplace_back(file, Refuse("Wave file is not in a supported format. All wave files must be:\n"
                                                      "PCM, 44.1 khz, 16-bit, 2 channels."));
            continue;
        }
        SongFileName names;
        if (settings.fillFromFileName) names = SplitSongFileName(file);
        if (names.title.empty()) names.title = "Unknown";
        if (names.artist.empty()) names.artist = "Unknown";

        CSongProfile profile;
        profile.SetType(CSongProfile::kDefaultType);
        profile.SetTempo(130.0);
        profile.SetArtist(names.artist);
        profile.SetTitle(names.title);
        profile.SetMixer(names.mixer);
        std::string source = localPath;
        std::string archiveName;
        if (archive) {
            profile.SetArchivePath(file);
            profile.SetArchiveName(outcome.archiveName);
            // Archive files are fetched from their medium by the loader.
            source = file;
            archiveName = outcome.archiveName;
        }
        auto job = LoadJob::Make(archiveName, source, key);
        if (!job) {
            outcome.refused.emplace_back(file, job.Error());
            continue;
        }
        profile.SetLocalPath(key);
        if (!m_database.PutSong(profile)) {
            outcome.refused.emplace_back(file, Refuse("Could not store " + key + "."));
            continue;
        }
        if (m_recent) m_recent->AddTitle(key);
        if (m_queueLoad) m_queueLoad(std::move(job.Value()));
        outcome.added.push_back(key);
    }
    return outcome;
}

std::vector<std::string> CBatchAdd::Withdraw(const std::vector<LoadJob>& failedJobs) {
    std::vector<std::string> withdrawn;
    for (const LoadJob& job : failedJobs) {
        if (!job.archiveName.empty() || FileExists(job.destinationPath)) continue;
        RefPtr<CSongProfile> song = m_database.GetSong(job.destinationPath);
        if (!song || *song->GetArchivePath() != '\0') continue;
        if (!m_database.RemoveSong(*song)) continue;
        if (m_recent) m_recent->RemoveTitle(job.destinationPath);
        withdrawn.push_back(job.destinationPath);
    }
    return withdrawn;
}

}  // namespace vantor
