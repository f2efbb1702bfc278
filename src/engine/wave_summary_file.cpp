#include "engine/wave_summary_file.h"

#include "model/value_io.h"

namespace vantor {

CWaveSummaryFile::CWaveSummaryFile(const std::string& path, bool flag) : m_flag(flag) {
    m_writable = m_file.Open(path, RandomAccessFile::Access::ReadWrite);
    if (!m_writable && !m_file.Open(path, RandomAccessFile::Access::Read)) return;
    m_valid = ReadLayout();
}

CWaveSummaryFile::~CWaveSummaryFile() = default;

bool CWaveSummaryFile::ReadExact(int64_t offset, uint8_t* buffer, size_t size) const {
    return m_file.ReadAt(offset, buffer, size) == size;
}

bool CWaveSummaryFile::ReadLayout() {
    m_fileSize = m_file.Size();
    if (m_fileSize < 0) return false;
    uint8_t bytes[kHeaderBytes];
    if (!ReadExact(0, bytes, sizeof bytes)) return false;
    for (int i = 0; i < kHeaderWords; ++i) m_header[static_cast<size_t>(i)] = static_cast<int32_t>(LoadLE32(bytes + 4 * i));
    if (m_header[kWordMarker] != kMarker) return false;
    const int32_t top = m_header[kWordTopLevel];
    const int32_t channels = m_header[kWordChannels];
    if (top < 0 || top > kMaxTopLevel || channels < 1 || channels > kMaxChannels) return false;

    // The sizes of all levels but the coarsest fix where each level starts.
    std::vector<uint8_t> sizes(4 * static_cast<size_t>(top));
    if (top > 0 && !ReadExact(kHeaderBytes, sizes.data(), sizes.size())) return false;
    m_levelStart.assign(static_cast<size_t>(top) + 1, 0);
    m_levelStart[0] = kHeaderBytes + 4 * (int64_t{top} + 1);
    for (int32_t k = 0; k < top; ++k)
        m_levelStart[static_cast<size_t>(k) + 1] = m_levelStart[static_cast<size_t>(k)] + LoadLE32(&sizes[4 * static_cast<size_t>(k)]);
    return true;
}

bool CWaveSummaryFile::ReadRecord(int64_t frame, SummaryRecord& result) {
    if (!m_valid || frame < 0) return false;
    const int32_t channels = m_header[kWordChannels];
    const int64_t recordBytes = 4 * int64_t{channels};
    const int64_t offset = recordBytes * (frame / GetFramesPerRecord()) + m_levelStart[static_cast<size_t>(m_selected)];
    if (m_selected < m_header[kWordTopLevel] && offset >= m_levelStart[static_cast<size_t>(m_selected) + 1]) return false;
    if (offset + recordBytes > m_fileSize) return false;
    uint8_t bytes[4 * kMaxChannels];
    if (!ReadExact(offset, bytes, static_cast<size_t>(recordBytes))) return false;
    result.count = channels;
    result.minima.resize(static_cast<size_t>(channels));
    result.maxima.resize(static_cast<size_t>(channels));
    for (int32_t c = 0; c < channels; ++c) {
        const uint8_t* low = bytes + 2 * c;
        const uint8_t* high = bytes + 2 * (channels + c);
        result.minima[static_cast<size_t>(c)] = static_cast<int16_t>(low[0] | low[1] << 8);
        result.maxima[static_cast<size_t>(c)] = static_cast<int16_t>(high[0] | high[1] << 8);
    }
    return true;
}

int64_t CWaveSummaryFile::GetLength() const {
    if (!m_valid && !m_flag) return -1;
    return m_header[kWordLength];
}

void CWaveSummaryFile::SelectLevel(int64_t framesPerPixel) {
    if (!m_valid) return;
    const int32_t top = m_header[kWordTopLevel];
    int32_t level = top;
    for (int32_t i = 1; i <= top; ++i) {
        if ((int64_t{kBaseFramesPerRecord} << (i - 1)) <= framesPerPixel &&
            framesPerPixel < (int64_t{kBaseFramesPerRecord} << i)) {
            level = i - 1;
            break;
        }
    }
    m_selected = level > 0 ? level - 1 : 0;
}

bool CWaveSummaryFile::SetReferenceLevel(int32_t level) {
    if (!m_valid || !m_writable) return false;
    m_header[kWordReferenceLevel] = level;
    uint8_t bytes[kHeaderBytes];
    for (int i = 0; i < kHeaderWords; ++i) StoreLE32(bytes + 4 * i, static_cast<uint32_t>(m_header[static_cast<size_t>(i)]));
    return m_file.WriteAt(0, bytes, sizeof bytes);
}

}  // namespace vantor
