#include "engine/resampled_wave_summary_file.h"

#include <cmath>

#include "database/song_profile.h"
#include "engine/resampled_wave_file.h"

namespace vantor {

CResampledWaveSummaryFile::CResampledWaveSummaryFile(const std::string& path, bool flag)
    : CWaveSummaryFile(path, flag) {}

void CResampledWaveSummaryFile::SetRatio(double ratio) {
    if (!std::isfinite(ratio) || ratio <= 0) return;
    m_ratio = ratio;
    const double rate = GetSampleRate();
    // A damaged header without a rate leaves the plain ratio.
    m_effectiveRatio = rate > 0 ? (rate + m_rateOffset) / rate * ratio : ratio;
}

bool CResampledWaveSummaryFile::ReadRecord(int64_t frame, SummaryRecord& result) {
    const double source = std::trunc(static_cast<double>(frame) / m_effectiveRatio);
    if (!(source >= 0 && source < 9.0e18)) return false;
    return CWaveSummaryFile::ReadRecord(static_cast<int64_t>(source), result);
}

int64_t CResampledWaveSummaryFile::GetLength() const {
    const int64_t length = CWaveSummaryFile::GetLength();
    if (length == -1) return -1;
    return static_cast<int64_t>(std::trunc(static_cast<double>(length) * m_effectiveRatio));
}

std::unique_ptr<CResampledWaveSummaryFile> OpenSongSummary(const CSongProfile& song, bool flag) {
    auto summary = std::make_unique<CResampledWaveSummaryFile>(song.GetSummaryPath(), flag);
    if (summary->IsValid()) return summary;
    auto source = OpenSongSource(song);
    if (source && source->GetLength() > kMinSummaryFrames) return nullptr;
    return summary;
}

}  // namespace vantor
