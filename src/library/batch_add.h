#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "library/load_job.h"
#include "platform/result.h"

namespace vantor {

class CMusicDatabase;
class CRecentTitleList;

// The choices of the "Add Batch of Music" dialog.
struct BatchAddSettings {
    enum class Location { Local, Archive };
    Location location = Location::Local;
    // Archive location: the archive name is the volume label of the medium
    // holding the first file, else the typed name.
    bool useVolumeLabel = false;
    std::string archiveName;
    // Archive location: where the songs' wave files will live.
    std::string localWaveDirectory;
    bool fillFromFileName = true;
};

// What became of the chosen files.
struct BatchAddOutcome {
    std::vector<std::string> added;    // the keys stored
    std::vector<std::string> skipped;  // files whose song was already stored
    std::vector<std::pair<std::string, Refusal>> refused;
    std::string archiveName;  // the name the run used
};

// Adds every file with a default profile (type 0x1001, tempo 130): artist,
// title and mixer from the file name when asked ("Unknown" for an empty
// title or artist). A local file is its own archive-less song; an archive
// file keeps its path as the archive path and gets a local path in the
// local wave directory. A file is skipped when the key its profile would
// be stored under, or that key with ".wav", is stored already. Each added
// song's file is handed to the loader (decoded to ".wav", copied from the
// archive, summarised), its key becomes the ".wav" path, it joins the
// latest titles and is stored. A wave file that is not 16-bit stereo PCM
// at 44100 Hz, or an MP3 file without a valid first frame, is refused:
// every song renders in that format.
class CBatchAdd {
public:
    using QueueLoad = std::function<void(LoadJob)>;
    using LabelOf = std::function<std::string(const std::string& path)>;

    CBatchAdd(CMusicDatabase& database, CRecentTitleList* recent, QueueLoad queueLoad, LabelOf labelOf);

    BatchAddOutcome Run(const std::vector<std::string>& files, const BatchAddSettings& settings);

    // Takes back the songs of local files whose load jobs failed (an MP3
    // file that did not decode): such a song names a wave file that does
    // not exist and has no archive to fetch it from. Returns their keys.
    std::vector<std::string> Withdraw(const std::vector<LoadJob>& failedJobs);

private:
    CMusicDatabase& m_database;
    CRecentTitleList* m_recent;
    QueueLoad m_queueLoad;
    LabelOf m_labelOf;
};

// The local path a file gets in a directory: the directory, a "/" when it
// does not end in one, the file's name and extension.
std::string LocalPathIn(const std::string& directory, const std::string& file);

}  // namespace vantor
