#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "database/song_summary.h"
#include "platform/random_access_file.h"

namespace vantor {

// One record of a summary: the minimum and the maximum of every channel over
// the block of frames the record covers.
struct SummaryRecord {
    int32_t count = 0;
    std::vector<int16_t> minima;
    std::vector<int16_t> maxima;
};

// Reads a waveform summary (".sm" beside a song's audio file): a header of 44
// little-endian 32-bit words, the byte size of every level, then the levels'
// records from the finest (128 frames a record) to the coarsest, each level
// halving the record count of the one before. A file without the -1 marker,
// or whose header cannot describe a readable layout, is no summary: records
// cannot be read and its length reads -1.
class CWaveSummaryFile : public ISongSummary {
public:
    static constexpr int kHeaderWords = 44;
    static constexpr int kHeaderBytes = kHeaderWords * 4;
    static constexpr int32_t kMarker = -1;
    static constexpr int32_t kBaseFramesPerRecord = 128;
    // Header word indexes.
    enum Word {
        kWordMarker = 0,
        kWordRecords = 1,
        kWordBaseFrames = 2,
        kWordLength = 3,
        kWordChannels = 4,
        kWordMaxAmplitude = 5,
        kWordBitsPerSample = 6,
        kWordBlockAlign = 7,
        kWordSampleRate = 8,
        kWordReferenceLevel = 9,
        kWordLevelFactor = 10,
        kWordTopLevel = 11,
    };
    // A 32-bit frame count divided by 128 halves at most 25 times before it
    // runs out; more levels than that, or more channels than any wave format
    // carries, can only come from a damaged header.
    static constexpr int32_t kMaxTopLevel = 25;
    static constexpr int32_t kMaxChannels = 16;

    // flag: the length of a file that is not a summary reads as its header's
    // word 3 instead of -1.
    CWaveSummaryFile(const std::string& path, bool flag);
    ~CWaveSummaryFile() override;
    CWaveSummaryFile(const CWaveSummaryFile&) = delete;
    CWaveSummaryFile& operator=(const CWaveSummaryFile&) = delete;

    // The record of the selected level that holds the frame; false past the
    // end of the level or when the file is not a summary.
    virtual bool ReadRecord(int64_t frame, SummaryRecord& result);
    virtual int64_t GetLength() const;

    bool IsValid() const { return m_valid; }
    // Picks the level for a display scale of frames per pixel: the level
    // whose records span the scale, then one finer, so that a pixel always
    // has at least two records.
    void SelectLevel(int64_t framesPerPixel);
    int32_t GetSelectedLevel() const { return m_selected; }
    int64_t GetFramesPerRecord() const { return int64_t{kBaseFramesPerRecord} << m_selected; }
    int32_t GetBaseFramesPerRecord() const { return m_valid ? m_header[kWordBaseFrames] : -1; }
    int32_t GetLevelCount() const { return m_valid ? m_header[kWordTopLevel] : -1; }
    int32_t GetChannels() const { return m_valid ? m_header[kWordChannels] : 0; }
    int32_t GetSampleRate() const { return m_valid ? m_header[kWordSampleRate] : 0; }
    int32_t GetHeaderWord(int index) const { return m_header[static_cast<size_t>(index)]; }

    // Stores the measured reference level in word 9 and rewrites the header
    // in place; false when the file is no summary or cannot be written.
    bool SetReferenceLevel(int32_t level);

    // What segment normalization reads; 0 for a file that is no summary.
    int32_t GetReferenceLevel() const override { return m_valid ? m_header[kWordReferenceLevel] : 0; }
    int32_t GetMaxAmplitude() const override { return m_valid ? m_header[kWordMaxAmplitude] : 0; }

private:
    bool ReadLayout();
    // True when all size bytes were read.
    bool ReadExact(int64_t offset, uint8_t* buffer, size_t size) const;

    std::array<int32_t, kHeaderWords> m_header{};
    RandomAccessFile m_file;
    bool m_writable = false;
    bool m_valid = false;
    bool m_flag;
    std::vector<int64_t> m_levelStart;  // byte offset of every level, finest first
    int64_t m_fileSize = 0;
    int32_t m_selected = 0;
};

}  // namespace vantor
