#pragma once

#include <atomic>
#include <string>

#include "platform/result.h"

namespace vantor {

// One copy for the music loader: from the source (an archive file, or a
// local file to decode or summarise) to the destination wave file. The
// archive name is empty for files that need no medium inserted.
struct LoadJob {
    // Each text is a 255-byte field of the job.
    static constexpr size_t kMaxText = 254;

    std::string archiveName;
    std::string sourcePath;
    std::string destinationPath;

    // A job whose texts fit their fields and name both paths; refused
    // otherwise, since a cut path would copy to or from another file.
    static Result<LoadJob> Make(std::string archiveName, std::string sourcePath, std::string destinationPath);
};

// What the loader does with a job besides copying it.
struct LoadSettings {
    // "Automatically generate summary (.sm) file when adding music."
    bool generateSummaries = true;
};

// How a job went, and how long its summary step took.
struct LoadJobOutcome {
    bool carriedOut = false;
    bool cancelled = false;
    std::string failure;  // why it was not carried out
    double summarySeconds = 0.0;
};

// Carries the job out: an ".mp3" source (in any case) is decoded into the
// destination; another source is copied over the destination when the two
// paths differ, through a temporary file renamed once complete. An archive
// job whose source cannot be reached (the medium is not in) fails and
// changes nothing. Then the destination gets its summary: the source's
// ".sm" file when it has one, else, when configured, one built from the
// destination's audio (songs of more than 200000 frames only). The cancel
// flag stops a copy between blocks; percent, when given, follows the copy or
// the decoding.
LoadJobOutcome CarryOutLoadJob(const LoadJob& job, const LoadSettings& settings,
                               const std::atomic<bool>* cancel = nullptr, std::atomic<int>* percent = nullptr);

// The summary step alone, for a destination that is already in place.
// Returns the seconds spent building (0 when nothing was built).
double ProvideSummary(const LoadJob& job, const LoadSettings& settings);

}  // namespace vantor
