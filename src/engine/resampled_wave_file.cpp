#include "engine/resampled_wave_file.h"

#include <cmath>
#include <cstring>

#include "database/song_profile.h"

namespace vantor {

CResampledWaveFile::CResampledWaveFile(const std::string& fileName, int bufferMilliseconds)
    : CWaveFile(fileName, bufferMilliseconds) {}

void CResampledWaveFile::SetRatio(double ratio) {
    if (!std::isfinite(ratio) || ratio <= 0) return;
    m_position = 0;
    m_sourceInData = CWaveFile::Seek(0);
    m_ratio = ratio;
}

uint32_t CResampledWaveFile::SourceFrameOf(uint32_t outputFrame) const {
    double frame = outputFrame / m_ratio;
    return frame >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(frame);
}

bool CResampledWaveFile::Seek(uint32_t frame) {
    m_position = frame;
    m_sourceInData = CWaveFile::Seek(SourceFrameOf(frame));
    return m_sourceInData;
}

uint32_t CResampledWaveFile::GetLength() {
    double length = std::trunc(CWaveFile::GetLength() * m_ratio);
    return length >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(length);
}

void CResampledWaveFile::StepOneFrame(uint8_t* out) {
    // After a refused seek the source stands somewhere else; what it would
    // deliver is not the frame asked for, so the frame is silence.
    if (!m_sourceInData || CWaveFile::ReadFrames(out, 1) == 0) std::memset(out, 0, GetBlockAlign());
    ++m_position;
    m_sourceInData = CWaveFile::Seek(SourceFrameOf(m_position));
}

uint32_t CResampledWaveFile::ReadFramesOneByOne(void* buffer, uint32_t frames) {
    if (m_ratio == 1.0) return ReadFrames(buffer, frames);
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < frames; ++i) StepOneFrame(out + static_cast<size_t>(i) * GetBlockAlign());
    return frames;
}

uint32_t CResampledWaveFile::ReadFrames(void* buffer, uint32_t frames) {
    if (m_ratio == 1.0) {
        if (!m_sourceInData) return 0;
        uint32_t got = CWaveFile::ReadFrames(buffer, frames);
        m_position += got;
        return got;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    const int64_t align = GetBlockAlign();
    uint32_t done = 0;
    while (done < frames) {
        BufferView view = GetBufferView();
        int64_t offset = view.offset;
        // Replays exactly what the plain read and seek would do to the buffer,
        // as long as a read would not reach the buffer's end (which refills)
        // and the seek stays inside it.
        if (m_sourceInData && GetFormat() && align == 4 && view.startByte % 4 == 0) {
            // The common case, 4-byte frames from a frame-aligned buffer: the
            // same steps with the byte arithmetic reduced to shifts, since
            // tell x 4 is then exactly the start byte plus the offset.
            const double ratio = m_ratio;
            while (done < frames && offset + 4 < view.valid) {
                std::memcpy(out + done * 4, view.data + offset, 4);
                ++done;
                ++m_position;
                double frame = m_position / ratio;
                int64_t source = frame >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<int64_t>(frame);
                int64_t t = source * 4 - view.startByte;
                if (t < 0 || t > view.valid) {
                    SetBufferOffset(offset + 4);
                    m_sourceInData = CWaveFile::Seek(static_cast<uint32_t>(source));
                    offset = -1;
                    break;
                }
                offset = t;
            }
            if (offset >= 0) SetBufferOffset(offset);
            if (done == frames) break;
            if (offset < 0) continue;
        } else if (m_sourceInData && GetFormat()) {
            while (done < frames && offset + align < view.valid) {
                std::memcpy(out + done * align, view.data + offset, static_cast<size_t>(align));
                ++done;
                ++m_position;
                int64_t after = offset + align;
                int64_t tell = (after + view.startByte) / align;
                int64_t t = (static_cast<int64_t>(SourceFrameOf(m_position)) - tell) * align + after;
                if (t < 0 || t > view.valid) {
                    SetBufferOffset(after);
                    m_sourceInData = CWaveFile::Seek(SourceFrameOf(m_position));
                    offset = -1;
                    break;
                }
                offset = t;
            }
            if (offset >= 0) SetBufferOffset(offset);
            if (done == frames) break;
            if (offset < 0) continue;
        }
        StepOneFrame(out + done * align);
        ++done;
    }
    return frames;
}

std::unique_ptr<CResampledWaveFile> OpenSongSource(const CSongProfile& song) {
    std::string path = song.GetLocalPath();
    if (CWaveFile::SourceExtension(path).empty()) return nullptr;
    return std::make_unique<CResampledWaveFile>(path, 100);
}

}  // namespace vantor
