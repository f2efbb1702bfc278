#pragma once

#include <cstddef>
#include <vector>

namespace vantor {

// How strongly the harmony changes over the time of a song: the pitch
// classes (chroma) of mono audio in windows long enough to tell semitones
// apart, and the distance between the chroma just before and just after each
// moment. Chords change mostly on the first beat of a bar, so this marks bars
// where drums repeat the same pattern on every beat.
class HarmonicChange {
public:
    static constexpr size_t kWindow = 2048;  // 186 ms at 11025 Hz
    static constexpr size_t kHop = 512;

    // mono: audio at rate; the result has count values, value n describing
    // mono sample n x hop + offset, interpolated between the chroma frames.
    static std::vector<float> Measure(const std::vector<float>& mono, double rate, size_t count, size_t hop, double offset);
};

}  // namespace vantor
