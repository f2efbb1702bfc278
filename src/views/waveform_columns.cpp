#include "views/waveform_columns.h"

#include <algorithm>
#include <cmath>

#include "engine/wave_summary_file.h"

namespace vantor {

std::vector<WaveformColumn> WaveformColumns::Compute(CWaveSummaryFile& summary, int64_t firstFrame,
                                                     double framesPerPixel, int width) {
    std::vector<WaveformColumn> columns;
    if (width <= 0 || width > kMaxWidth || !std::isfinite(framesPerPixel) || framesPerPixel <= 0 ||
        framesPerPixel > 1e12 || !summary.IsValid())
        return columns;
    const int64_t length = summary.GetLength();
    summary.SelectLevel(std::max<int64_t>(1, static_cast<int64_t>(framesPerPixel)));
    const int64_t perRecord = std::max<int64_t>(1, summary.GetFramesPerRecord());
    columns.resize(static_cast<size_t>(width));
    SummaryRecord record;
    for (int x = 0; x < width; ++x) {
        const int64_t begin = firstFrame + static_cast<int64_t>(std::floor(x * framesPerPixel));
        int64_t end = firstFrame + static_cast<int64_t>(std::floor((x + 1) * framesPerPixel));
        if (end <= begin) end = begin + 1;
        if (begin < 0 || (length >= 0 && begin >= length)) continue;
        WaveformColumn& column = columns[static_cast<size_t>(x)];
        for (int64_t frame = begin / perRecord * perRecord; frame < end; frame += perRecord) {
            if (!summary.ReadRecord(frame, record)) break;
            for (int32_t c = 0; c < record.count; ++c) {
                const int16_t low = record.minima[static_cast<size_t>(c)];
                const int16_t high = record.maxima[static_cast<size_t>(c)];
                column.minimum = column.present ? std::min(column.minimum, low) : low;
                column.maximum = column.present ? std::max(column.maximum, high) : high;
                column.present = true;
            }
        }
    }
    return columns;
}

}  // namespace vantor
