#pragma once

#include "library/load_job.h"
#include "platform/result.h"

namespace vantor {

class CSongProfile;

// True when the song's local audio file opens as audio.
bool SongAudioOpens(const CSongProfile& song);

// Load Music: the job that fetches the song from its archive. Refused with
// "Already loaded to the local path." (information) when its audio opens,
// and "No archive path specified for this item." when it has no archive.
Result<LoadJob> PlanLoadMusic(const CSongProfile& song);

// Unload Music: deletes the local copy of an archived song (and its ".sm"
// file when deleteSummary). Refused when the audio does not open ("File
// has not be loaded to local path."), when the song has no archive path
// (deleting would lose it for good) and when the file cannot be removed.
Status UnloadMusic(const CSongProfile& song, bool deleteSummary);

// The job of Decompress MP3 Files for one chosen file: decode it to the
// same path with ".wav".
Result<LoadJob> PlanDecompressMp3(const std::string& mp3Path);

}  // namespace vantor
