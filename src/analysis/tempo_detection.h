#pragma once

#include <cstdint>

namespace vantor {

class CWaveFile;
class CWaveSummaryFile;

// The envelope value of the record that holds the frame: channel 1's minimum
// when its magnitude is greater than that of channel 1's maximum, otherwise
// the maximum; 0 where no record can be read.
int32_t EnvelopeAt(CWaveSummaryFile& summary, int64_t frame);

// Beats per minute by beat tracking on the finest summary level: the 0.1 s
// of envelope from the start frame is the template of a beat; the first beat
// is sought 0.4 to 0.5 s after the start, each later one within 0.1 s of
// where the last interval predicts it. Always gives a value; the caller
// judges whether it is plausible.
double DetectTempo(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start, bool roundTempo);

// To the nearest whole number, halves up.
double RoundTempo(double tempo);

}  // namespace vantor
