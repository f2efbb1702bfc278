#pragma once

#include <memory>
#include <string>

#include "engine/wave_summary_file.h"

namespace vantor {

class CSongProfile;

// A summary read at a rate ratio, to draw a song the way it plays in a
// segment: frame n of the resampled song is frame trunc(n / r) of the file.
class CResampledWaveSummaryFile : public CWaveSummaryFile {
public:
    CResampledWaveSummaryFile(const std::string& path, bool flag);

    // Ratios that are not finite and positive are ignored.
    void SetRatio(double ratio);
    double GetRatio() const { return m_ratio; }
    double GetEffectiveRatio() const { return m_effectiveRatio; }

    bool ReadRecord(int64_t frame, SummaryRecord& result) override;
    // trunc(length x r); -1 stays -1.
    int64_t GetLength() const override;

private:
    double m_ratio = 1.0;
    double m_rateOffset = 0.0;
    double m_effectiveRatio = 1.0;
};

// Songs this short have no summary: they are drawn from their audio.
constexpr uint32_t kMinSummaryFrames = 200000;

// The summary beside the song's audio file (local path with ".sm" for its
// extension). Null when the summary is not valid while the song is long
// enough to have one; a short song gets the invalid summary object.
std::unique_ptr<CResampledWaveSummaryFile> OpenSongSummary(const CSongProfile& song, bool flag);

}  // namespace vantor
