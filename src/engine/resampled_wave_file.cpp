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
    m_stepper.SetRatio(ratio);
}

uint32_t CResampledWaveFile::SourceFrameOf(uint32_t outputFrame) const { return m_stepper.Divided(outputFrame); }

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

uint32_t CResampledWaveFile::CopyInBuffer(uint8_t* out, uint32_t frames) {
    // Only for 4-byte frames in a frame-aligned buffer: then the byte of
    // source frame s lies at 4 s - start byte, which is where the plain
    // path's seek puts the offset as long as it stays inside the buffer.
    const BufferView view = GetBufferView();
    if (view.offset + 4 >= view.valid) return 0;  // the plain read refills here
    const int64_t firstFrame = view.startByte / 4;
    // Buffer frames a read takes without reaching the buffer's end.
    const uint64_t readable = static_cast<uint64_t>((view.valid - 4 + 3) / 4);
    const uint8_t* data = view.data;

    // The first frame comes from where the source stands, the others from
    // their source frames.
    std::memcpy(out, data + view.offset, 4);
    CSourceFrameStepper stepper = m_stepper;
    stepper.Seek(m_position + 1);
    uint64_t last = static_cast<uint64_t>(view.offset / 4) + firstFrame;
    const uint32_t done = 1 + stepper.Walk(frames - 1, static_cast<uint64_t>(firstFrame), firstFrame + readable,
                                           [&](uint32_t i, uint64_t frame, uint32_t n) {
                                               uint8_t* to = out + (i + 1) * 4;
                                               const uint8_t* from = data + (frame - firstFrame) * 4;
                                               // A single frame as one move, not a call.
                                               if (n == 1) {
                                                   std::memcpy(to, from, 4);
                                               } else {
                                                   std::memcpy(to, from, n * 4);
                                               }
                                               last = frame + n - 1;
                                           });
    m_position += done;
    // The seek that follows the last frame copied, as the plain path makes it.
    const uint32_t next = SourceFrameOf(m_position);
    const int64_t t = static_cast<int64_t>(next) * 4 - view.startByte;
    if (t >= 0 && t <= view.valid) {
        SetBufferOffset(t);
    } else {
        SetBufferOffset(static_cast<int64_t>(last - firstFrame) * 4 + 4);
        m_sourceInData = CWaveFile::Seek(next);
    }
    return done;
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
        if (m_sourceInData && GetFormat() && align == 4 && view.startByte % 4 == 0 && offset % 4 == 0 &&
            m_stepper.IsUsable()) {
            uint32_t copied = CopyInBuffer(out + done * 4, frames - done);
            done += copied;
            if (copied > 0) continue;
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
