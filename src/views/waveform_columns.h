#pragma once

#include <cstdint>
#include <vector>

namespace vantor {

class CWaveSummaryFile;

// One pixel column of a drawn waveform: the lowest and highest sample of
// every channel over the frames the column covers.
struct WaveformColumn {
    int16_t minimum = 0;
    int16_t maximum = 0;
    bool present = false;  // false past the song's end
};

// The columns of a waveform at any zoom, read from the song's summary at
// the level that fits the scale; nothing reads the audio itself.
class WaveformColumns {
public:
    static constexpr int kMaxWidth = 1 << 16;

    // width columns from firstFrame, framesPerPixel frames each (fractions
    // allowed when zoomed in beyond a frame a pixel). Empty for a width or
    // scale that cannot be drawn.
    static std::vector<WaveformColumn> Compute(CWaveSummaryFile& summary, int64_t firstFrame,
                                               double framesPerPixel, int width);
};

}  // namespace vantor
