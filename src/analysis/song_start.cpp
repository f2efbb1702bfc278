#include "analysis/song_start.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/wave_file.h"
#include "engine/wave_summary_file.h"

namespace vantor {

namespace {

constexpr int64_t kFirstRecordRequest = 406;

bool Exceeds(const SummaryRecord& record, int64_t threshold) {
    for (int32_t c = 0; c < record.count; ++c) {
        if (std::abs(int64_t{record.minima[static_cast<size_t>(c)]}) > threshold ||
            record.maxima[static_cast<size_t>(c)] > threshold)
            return true;
    }
    return false;
}

// The sample at p, sign-extended from its bits per sample.
int64_t SampleAt(const uint8_t* p, int bytes, int bits) {
    uint64_t raw = 0;
    for (int b = 0; b < bytes; ++b) raw |= uint64_t{p[b]} << (8 * b);
    const uint64_t sign = uint64_t{1} << (bits - 1);
    raw &= (sign << 1) - 1;
    return static_cast<int64_t>(raw ^ sign) - static_cast<int64_t>(sign);
}

}  // namespace

std::optional<uint32_t> FindSongStart(CWaveFile& source, CWaveSummaryFile& summary, double threshold, uint32_t from) {
    const int bits = source.GetBitsPerSample();
    const int channels = source.GetChannels();
    const int blockAlign = source.GetBlockAlign();
    const int sampleBytes = (bits + 7) / 8;
    if (bits < 1 || bits > 32 || channels < 1 || blockAlign < channels * sampleBytes) return std::nullopt;
    const double scaled = std::trunc(std::ldexp(1.0, bits - 1) * threshold);
    if (!std::isfinite(scaled)) return std::nullopt;
    const int64_t thr = static_cast<int64_t>(std::clamp(scaled, -1.0, 4294967296.0));
    const int64_t length = source.GetLength();
    const int64_t base = summary.GetBaseFramesPerRecord();
    if (base <= 0) return std::nullopt;

    // Coarse scan, from the requested record size down to the finest level,
    // each finer level scanning on from the previous level's hit.
    int64_t pos = from;
    int64_t window = kFirstRecordRequest;
    if (base < kFirstRecordRequest) {
        int64_t request = kFirstRecordRequest;
        int64_t previousSize = 0;
        SummaryRecord record;
        for (;;) {
            summary.SelectLevel(request);
            const int64_t size = summary.GetFramesPerRecord();
            bool hit = false;
            while (pos < length && pos < int64_t{from} + kStartSearchFrames) {
                if (summary.ReadRecord(pos, record) && Exceeds(record, thr)) {
                    hit = true;
                    break;
                }
                pos += size;
            }
            if (!hit) return std::nullopt;
            request = size / 2;
            // A level no finer than the last one cannot narrow the hit down.
            if (request <= base || (previousSize != 0 && size >= previousSize)) {
                // Bounded so a damaged header cannot ask for a huge read.
                window = std::min(request, kFirstRecordRequest);
                break;
            }
            previousSize = size;
        }
    }

    // Fine scan of the audio around the hit. A hit within the first window
    // frames of the song scans from frame 0, so that the answer is still the
    // first frame whose sample exceeds the threshold.
    const int64_t first = std::max<int64_t>(pos - window, 0);
    const int64_t end = pos - window + 4 * window;
    if (end <= first || first >= length) return std::nullopt;
    const uint32_t frames = static_cast<uint32_t>(std::min<int64_t>(end - first, length - first));
    if (!source.Seek(static_cast<uint32_t>(first))) return std::nullopt;
    std::vector<uint8_t> buffer(size_t{frames} * static_cast<size_t>(blockAlign));
    const uint32_t got = source.ReadFrames(buffer.data(), frames);
    for (uint32_t f = 0; f < got && f < frames; ++f) {
        const uint8_t* frame = buffer.data() + size_t{f} * static_cast<size_t>(blockAlign);
        for (int c = 0; c < channels; ++c) {
            if (std::abs(SampleAt(frame + c * sampleBytes, sampleBytes, bits)) > thr)
                return static_cast<uint32_t>(first + f);
        }
    }
    return std::nullopt;
}

}  // namespace vantor
