#include "analysis/reference_level.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "database/song_profile.h"
#include "engine/wave_summary_file.h"

namespace vantor {

namespace {
constexpr int64_t kSampleSpacing = 40000;
constexpr int kTopBucket = 100;
}  // namespace

int32_t MeasureReferenceLevel(CWaveSummaryFile& summary) {
    summary.SelectLevel(kSampleSpacing);
    const int32_t bucket = summary.GetMaxAmplitude() / 100;
    if (bucket <= 0) return 0;

    std::array<int64_t, kTopBucket + 1> histogram{};
    int64_t total = 0;
    SummaryRecord record;
    for (int64_t frame = 0; summary.ReadRecord(frame, record); frame += kSampleSpacing) {
        for (int16_t v : record.maxima) {
            // -32768 lands on 100; a damaged maximum amplitude could point
            // further, which the top bucket takes.
            const int index = std::min(std::abs(static_cast<int32_t>(v)) / bucket, kTopBucket);
            ++histogram[static_cast<size_t>(index)];
            ++total;
        }
    }

    int i = kTopBucket;
    int64_t sum = 0;
    for (; i > 0; --i) {
        sum += histogram[static_cast<size_t>(i)];
        if (sum >= total / 10) break;
    }
    if (i == kTopBucket) i = kTopBucket - 1;
    return bucket * i;
}

bool StoreReferenceLevel(const CSongProfile& song) {
    CWaveSummaryFile summary(song.GetSummaryPath(), false);
    if (!summary.IsValid()) return false;
    return summary.SetReferenceLevel(MeasureReferenceLevel(summary));
}

}  // namespace vantor
