#include "engine/wave_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/little_endian.h"

namespace vantor {

namespace {

constexpr size_t kWriteBufferBytes = 102400;

}  // namespace

bool WaveWriter::Open(const std::string& path, const WaveFormat& format) {
    m_ok = false;
    m_dataBytes = 0;
    if (m_file.Open(path, RiffFile::Mode::Create, kWriteBufferBytes) != kRiffOk) return false;
    m_riff = {};
    m_riff.id = kFourCCRiff;
    m_riff.formType = MakeFourCC('W', 'A', 'V', 'E');
    if (m_file.CreateChunk(m_riff) != kRiffOk) return false;

    RiffChunk fmt;
    fmt.id = MakeFourCC('f', 'm', 't', ' ');
    uint8_t head[18];
    StoreLE16(head, format.formatTag);
    StoreLE16(head + 2, format.channels);
    StoreLE32(head + 4, format.samplesPerSec);
    StoreLE32(head + 8, format.avgBytesPerSec);
    StoreLE16(head + 12, format.blockAlign);
    StoreLE16(head + 14, format.bitsPerSample);
    StoreLE16(head + 16, static_cast<uint16_t>(format.extra.size()));
    bool pcm = format.formatTag == WaveFormat::kTagPcm;
    if (m_file.CreateChunk(fmt) != kRiffOk || !m_file.Write(head, pcm ? 16 : 18) ||
        (!pcm && !format.extra.empty() && !m_file.Write(format.extra.data(), format.extra.size())) ||
        m_file.Ascend(fmt) != kRiffOk)
        return false;

    RiffChunk fact;
    fact.id = MakeFourCC('f', 'a', 'c', 't');
    const uint8_t unknown[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    if (m_file.CreateChunk(fact) != kRiffOk) return false;
    m_factOffset = fact.dataOffset;
    if (!m_file.Write(unknown, 4) || m_file.Ascend(fact) != kRiffOk) return false;

    m_data = {};
    m_data.id = MakeFourCC('d', 'a', 't', 'a');
    if (m_file.CreateChunk(m_data) != kRiffOk) return false;
    m_ok = true;
    return true;
}

bool WaveWriter::Write(const void* bytes, size_t count) {
    if (!m_ok) return false;
    // The data chunk's size field has 32 bits.
    if (m_dataBytes + count > UINT32_MAX - 64) {
        m_error = "a wave file holds at most 4 GiB";
        m_ok = false;
        return false;
    }
    if (!m_file.Write(bytes, count)) {
        m_error = std::strerror(errno);
        m_ok = false;
        return false;
    }
    m_dataBytes += count;
    return true;
}

bool WaveWriter::Finish(uint32_t frames) {
    if (!m_file.IsOpen()) return false;
    bool ok = m_ok && m_file.Ascend(m_data) == kRiffOk && m_file.Ascend(m_riff) == kRiffOk;
    uint8_t value[4];
    StoreLE32(value, frames);
    ok = ok && m_file.Seek(static_cast<int64_t>(m_factOffset), SEEK_SET) >= 0 && m_file.Write(value, 4);
    if (m_ok && !ok) m_error = std::strerror(errno);
    const bool closed = m_file.Close() == kRiffOk;
    if (!closed && m_error.empty()) m_error = std::strerror(errno);
    ok = closed && ok;
    m_ok = false;
    return ok;
}

}  // namespace vantor
