#pragma once

#include <functional>
#include <string>

namespace vantor {

// Called with the share of the MP3 file decoded so far, 0 to 100, each time
// it changes.
using ConversionProgress = std::function<void(int percent)>;

// Decodes an MPEG-1 layer III file at 44100 Hz into a wave file of the
// standard format (16-bit stereo; mono is duplicated). True only when the
// whole file was decoded and written; otherwise nothing is left at the
// destination (an earlier file there is kept).
bool ConvertMp3ToWave(const std::string& mp3Path, const std::string& wavePath,
                      const ConversionProgress& progress = {});

// The conversion needs no outside component on this platform, so there is
// nothing to register; kept so that start-up reads the same everywhere.
bool RegisterSinkFilter();

}  // namespace vantor
