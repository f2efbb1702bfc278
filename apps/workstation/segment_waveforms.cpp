#include "segment_waveforms.h"

#include <cmath>

#include "database/music_database.h"
#include "model/segment.h"

namespace vantor::gui {

CResampledWaveSummaryFile* SegmentWaveforms::Summary(const CSegment& segment) {
    const double ratio = segment.GetRatio();
    if (!std::isfinite(ratio) || ratio <= 0) return nullptr;
    if (ratio == m_lastRatio && m_lastKey == segment.GetSongKey()) return m_lastSummary;
    m_lastKey = segment.GetSongKey();
    m_lastRatio = ratio;
    auto key = std::make_pair(std::string(segment.GetSongKey()), ratio);
    auto found = m_summaries.find(key);
    if (found != m_summaries.end()) return m_lastSummary = found->second.get();
    // A song without a summary is remembered as such, so that it is not
    // looked for again on every repaint.
    std::unique_ptr<CResampledWaveSummaryFile> summary;
    if (m_database) {
        if (RefPtr<CSongProfile> song = m_database->GetSong(key.first)) {
            summary = OpenSongSummary(*song, false);
            if (summary && !summary->IsValid()) summary.reset();
            if (summary) summary->SetRatio(ratio);
        }
    }
    return m_lastSummary = m_summaries.emplace(std::move(key), std::move(summary)).first->second.get();
}

bool SegmentWaveforms::Column(const CSegment& segment, int64_t offset, double framesPerPixel,
                              WaveformColumn& column) {
    if (!std::isfinite(framesPerPixel) || framesPerPixel <= 0 || offset < 0) return false;
    if (framesPerPixel != m_scale) {
        m_blocks.clear();
        m_lastBlock = nullptr;
        m_scale = framesPerPixel;
    }
    CResampledWaveSummaryFile* summary = Summary(segment);
    if (!summary) return false;
    // The segment's first frame in the resampled song, then the column.
    const double first = std::trunc(static_cast<double>(segment.GetStart()) * segment.GetRatio());
    const double index = std::floor((first + static_cast<double>(offset)) / framesPerPixel);
    if (!(index >= 0) || index > 1e15) return false;
    const auto at = static_cast<int64_t>(index);
    const int64_t block = at / kBlockColumns;
    const auto key = std::make_pair(summary, block);
    if (!m_lastBlock || key != m_lastBlockKey) {
        auto found = m_blocks.find(key);
        if (found == m_blocks.end()) {
            if (m_blocks.size() >= kMaxBlocks) m_blocks.clear();
            const auto firstFrame =
                static_cast<int64_t>(std::floor(static_cast<double>(block) * kBlockColumns * framesPerPixel));
            found = m_blocks.emplace(key, WaveformColumns::Compute(*summary, firstFrame, framesPerPixel, kBlockColumns))
                        .first;
        }
        m_lastBlockKey = key;
        m_lastBlock = &found->second;
    }
    const auto within = static_cast<size_t>(at - block * kBlockColumns);
    if (within >= m_lastBlock->size()) return false;
    column = (*m_lastBlock)[within];
    return column.present;
}

void SegmentWaveforms::Clear() {
    m_blocks.clear();
    m_summaries.clear();
    m_lastKey.clear();
    m_lastRatio = 0.0;
    m_lastSummary = nullptr;
    m_lastBlock = nullptr;
}

}  // namespace vantor::gui
