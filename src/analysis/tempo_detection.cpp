#include "analysis/tempo_detection.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "engine/wave_file.h"
#include "engine/wave_summary_file.h"

namespace vantor {

namespace {

constexpr int64_t kTemplateFrames = 4410;  // 0.1 s at 44100
constexpr int64_t kFollowFrames = 4410;    // later beats: +-0.1 s around the prediction
constexpr int kFurtherSearches = 10;

std::vector<int32_t> Envelope(CWaveSummaryFile& summary, int64_t first, int64_t step, int64_t count) {
    std::vector<int32_t> values(static_cast<size_t>(std::max<int64_t>(count, 0)));
    for (size_t i = 0; i < values.size(); ++i) values[i] = EnvelopeAt(summary, first + static_cast<int64_t>(i) * step);
    return values;
}

}  // namespace

int32_t EnvelopeAt(CWaveSummaryFile& summary, int64_t frame) {
    SummaryRecord record;
    if (!summary.ReadRecord(frame, record) || record.count < 1) return 0;
    const int32_t low = record.minima[0];
    const int32_t high = record.maxima[0];
    return std::abs(low) > std::abs(high) ? low : high;
}

double RoundTempo(double tempo) {
    const double whole = std::trunc(tempo);
    return tempo - whole < 0.5 ? whole : whole + 1;
}

double DetectTempo(CWaveFile& source, CWaveSummaryFile& summary, uint32_t start, bool roundTempo) {
    summary.SelectLevel(summary.GetBaseFramesPerRecord());
    const int64_t s = summary.GetFramesPerRecord();
    const int64_t templateLength = kTemplateFrames / s;
    const std::vector<int32_t> pattern = Envelope(summary, start, s, templateLength);

    const double rate = source.GetSampleRate();
    int64_t a = start + static_cast<int64_t>(std::trunc(0.4 * rate));
    int64_t b = start + static_cast<int64_t>(std::trunc(0.5 * rate));
    int64_t prev = start;
    int64_t last = start;
    int count = 1;
    for (int n = kFurtherSearches;; --n) {
        // TrackBeats: the offset in [a, b) whose envelope is nearest the
        // template, by the sum of absolute differences; ties go to the earliest.
        const std::vector<int32_t> e = Envelope(summary, a, s, (b + templateLength * s - a) / s);
        const int64_t candidates = (b - a) / s;
        int64_t best = 0;
        int64_t bestDistance = std::numeric_limits<int64_t>::max();
        for (int64_t i = 0; i < candidates; ++i) {
            int64_t distance = 0;
            for (int64_t j = 0; j < templateLength; ++j)
                distance += std::abs(int64_t{pattern[static_cast<size_t>(j)]} - e[static_cast<size_t>(i + j)]);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        const int64_t beat = a + best * s;
        // A search that found nothing after the last beat ends the tracking
        // without adding a beat that was never played.
        if (beat <= prev) break;
        ++count;
        last = beat;
        if (n == 0) break;
        a = 2 * beat - prev - kFollowFrames;
        b = 2 * beat - prev + kFollowFrames;
        prev = beat;
    }

    const double interval = static_cast<double>(last - start) / (count - 1);
    // Beats that did not move forward give no tempo; 0 is refused as any
    // implausible value is.
    if (!(interval > 0) || !(rate > 0)) return 0.0;
    const double tempo = 60.0 / (interval / rate);
    return roundTempo ? RoundTempo(tempo) : tempo;
}

}  // namespace vantor
