// The summary reader on arbitrary bytes: opening, level selection, record
// reads across the song, the reference level and the envelope.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/reference_level.h"
#include "analysis/tempo_detection.h"
#include "engine/resampled_wave_summary_file.h"
#include "platform/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/vantor-summary-fuzz-" + std::to_string(::getpid()) + ".sm";
    if (!vantor::WriteFileReplacing(path, data, size)) return 0;
    vantor::CResampledWaveSummaryFile summary(path, size > 0 && (data[0] & 1));
    vantor::SummaryRecord record;
    for (int64_t scale : {int64_t{0}, int64_t{128}, int64_t{300}, int64_t{40000}, int64_t{1} << 40}) {
        summary.SelectLevel(scale);
        for (int64_t frame = 0; frame < 1 << 20; frame = frame * 3 + 127) summary.ReadRecord(frame, record);
        vantor::EnvelopeAt(summary, summary.GetLength());
    }
    summary.SetRatio(size > 1 ? data[1] / 16.0 : 1.0);
    summary.ReadRecord(1000, record);
    summary.GetLength();
    vantor::MeasureReferenceLevel(summary);
    return 0;
}
