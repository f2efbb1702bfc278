#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vantor {

class CSongProfile;
class CWaveFile;

// Builds the waveform summary of a 16-bit stereo source longer than 200000
// frames and writes it to the path, replacing any file there only once the
// new one is complete. The source is read from frame 0 through a wave file
// stream; percent runs from 0 to 100 (a worker writes it, a timer reads it).
// False, with nothing written, for other sources or when the source cannot
// be seeked or the file written.
bool BuildSummary(const std::string& summaryPath, CWaveFile& source, std::atomic<int32_t>& percent);

// The song's summary beside its audio file (local path with ".sm"); false
// for songs of 200000 frames or fewer, which have none.
bool BuildSongSummary(const CSongProfile& song, std::atomic<int32_t>& percent);

}  // namespace vantor
