#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/resampled_wave_summary_file.h"
#include "views/waveform_columns.h"

namespace vantor {
class CMusicDatabase;
class CSegment;
}  // namespace vantor

namespace vantor::gui {

// The waveforms of a set's segments as pixel columns: each song's summary
// opened once per rate ratio, read in blocks of columns at the zoom in use,
// and only the blocks a repaint asks for. Blocks of another zoom are dropped
// when the zoom changes; nothing reads the audio itself.
class SegmentWaveforms {
public:
    static constexpr int kBlockColumns = 512;
    // More blocks than this and the cache starts over.
    static constexpr size_t kMaxBlocks = 4096;

    explicit SegmentWaveforms(CMusicDatabase* database) : m_database(database) {}

    // The column of the segment's song, played at the segment's ratio, that
    // holds the timeline frame `offset` frames after the segment's position
    // at framesPerPixel. False when the song has no summary or the column
    // lies past the song's end.
    bool Column(const CSegment& segment, int64_t offset, double framesPerPixel, WaveformColumn& column);
    // Forgets every summary and block (a song's files changed).
    void Clear();
    size_t BlockCount() const { return m_blocks.size(); }

private:
    CResampledWaveSummaryFile* Summary(const CSegment& segment);

    CMusicDatabase* m_database;
    std::map<std::pair<std::string, double>, std::unique_ptr<CResampledWaveSummaryFile>> m_summaries;
    std::map<std::pair<CResampledWaveSummaryFile*, int64_t>, std::vector<WaveformColumn>> m_blocks;
    double m_scale = 0.0;
    // Neighbouring columns come from the same song and block: the last ones
    // found are asked first.
    std::string m_lastKey;
    double m_lastRatio = 0.0;
    CResampledWaveSummaryFile* m_lastSummary = nullptr;
    std::pair<CResampledWaveSummaryFile*, int64_t> m_lastBlockKey{nullptr, -1};
    const std::vector<WaveformColumn>* m_lastBlock = nullptr;
};

}  // namespace vantor::gui
