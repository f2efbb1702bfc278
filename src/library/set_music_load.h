#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "library/question_channel.h"

namespace vantor {

class CMusicDatabase;
class CMusicSet;

// One song of a set whose local file is missing, and the archive that holds it.
struct SetMusicPair {
    std::string archiveName;
    std::string songKey;
};

// The counts and times the Load Set Music dialog shows.
struct SetMusicProgress {
    uint32_t remaining = 0;
    uint32_t failed = 0;
    uint32_t copied = 0;
    uint32_t total = 0;
    double elapsedSeconds = 0.0;
    double remainingSeconds = 0.0;
    bool finished = false;
};

// Load Set Music: copies the set's missing songs from their archives, one
// archive after another (sorted by name without regard to case), asking
// for each song's medium and, on a Cancel, whether to skip the rest of that
// archive. A song is looked up by its key (a key no longer stored counts as
// failed); an MP3 archive file is decoded as the loader does, any other is
// copied through a temporary file, so the key never names a partial file.
// Runs on the calling thread: the dialog gives it a worker of its own.
class CSetMusicLoad {
public:
    using ProgressListener = std::function<void(const SetMusicProgress&)>;

    CSetMusicLoad(CMusicDatabase& database, QuestionChannel& questions, ProgressListener progress);

    SetMusicProgress Run(std::vector<SetMusicPair> pairs, const std::atomic<bool>* cancel = nullptr);

    // The songs of the set's audio tracks whose local files are missing
    // and that name an archive file, each once, with their archives; the
    // keys of missing songs that cannot be loaded (no profile, or no
    // archive path) go to unloadable.
    static std::vector<SetMusicPair> MissingSongs(const CMusicSet& set, CMusicDatabase& database,
                                                  std::vector<std::string>* unloadable = nullptr);

    // (total - done) x average seconds per song + start of the current copy
    // - now, not below 0; 0 before any song was done, when no average exists.
    static double EstimateRemaining(uint32_t total, uint32_t done, double secondsSpentOnDone,
                                    double secondsIntoCurrent);

private:
    bool CopyOne(const std::string& key, const std::atomic<bool>* cancel);

    CMusicDatabase& m_database;
    QuestionChannel& m_questions;
    ProgressListener m_progress;
};

}  // namespace vantor
