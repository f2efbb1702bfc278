#include "engine/wave_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "engine/mp3_file.h"
#include "engine/mp3_stream_decoder.h"
#include "platform/little_endian.h"

namespace vantor {

namespace {

constexpr uint32_t kFourCCWave = MakeFourCC('W', 'A', 'V', 'E');
constexpr uint32_t kFourCCFmt = MakeFourCC('f', 'm', 't', ' ');
constexpr uint32_t kFourCCData = MakeFourCC('d', 'a', 't', 'a');

}  // namespace

std::string CWaveFile::SourceExtension(const std::string& fileName) {
    auto dot = fileName.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = fileName.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == "wav" || ext == "mp3" ? ext : std::string();
}

CWaveFile::CWaveFile(const std::string& fileName, int bufferMilliseconds) : m_fileName(fileName) {
    std::string ext = SourceExtension(fileName);
    bool opened = ext == "wav" ? OpenWave() : ext == "mp3" ? OpenMp3() : false;
    if (ext.empty()) m_openResult = kRiffCannotOpen;
    if (!opened) {
        m_format.reset();
        m_mp3.reset();
        m_mp3File.reset();
        m_riff.Close();
        m_kind = SourceKind::None;
        return;
    }
    AllocateBuffer(bufferMilliseconds);
}

CWaveFile::~CWaveFile() = default;

bool CWaveFile::OpenWave() {
    m_openResult = m_riff.Open(m_fileName, RiffFile::Mode::Read, kRiffBufferBytes);
    if (m_openResult != kRiffOk) return false;
    const int64_t fileSize = m_riff.Seek(0, SEEK_END);
    m_riff.Seek(0, SEEK_SET);

    RiffChunk riff;
    if (m_riff.Descend(riff, nullptr, RiffFile::Find::Next) != kRiffOk || riff.id != kFourCCRiff ||
        riff.formType != kFourCCWave) {
        m_openResult = kRiffNotWave;
        return false;
    }
    RiffChunk fmt;
    fmt.id = kFourCCFmt;
    if (m_riff.Descend(fmt, &riff, RiffFile::Find::Chunk) != kRiffOk || fmt.size < 16) {
        m_openResult = kRiffNotWave;
        return false;
    }
    uint8_t head[16];
    if (m_riff.Read(head, sizeof head) != sizeof head) {
        m_openResult = kRiffCannotRead;
        return false;
    }
    auto format = std::make_unique<WaveFormat>();
    format->formatTag = LoadLE16(head);
    format->channels = LoadLE16(head + 2);
    format->samplesPerSec = LoadLE32(head + 4);
    format->avgBytesPerSec = LoadLE32(head + 8);
    format->blockAlign = LoadLE16(head + 12);
    format->bitsPerSample = LoadLE16(head + 14);
    uint16_t extraSize = 0;
    // A 16-byte chunk has no room for an extra size, whatever its tag says;
    // reading on would take bytes of the next chunk.
    if (format->formatTag != WaveFormat::kTagPcm && fmt.size >= 18) {
        uint8_t extra[2];
        if (m_riff.Read(extra, 2) != 2) {
            m_openResult = kRiffCannotRead;
            return false;
        }
        extraSize = LoadLE16(extra);
    }
    if (extraSize > 0) {
        if (18u + extraSize > fmt.size) {
            m_openResult = kRiffNotWave;
            return false;
        }
        format->extra.resize(extraSize);
        if (m_riff.Read(format->extra.data(), extraSize) != extraSize) {
            m_openResult = kRiffNotWave;
            return false;
        }
    }
    // A zero block align would make every frame count a division by zero.
    if (format->blockAlign == 0 || m_riff.Ascend(fmt) != kRiffOk) {
        m_openResult = kRiffNotWave;
        return false;
    }
    RiffChunk data;
    data.id = kFourCCData;
    if (m_riff.Seek(static_cast<int64_t>(riff.dataOffset) + 4, SEEK_SET) < 0 ||
        m_riff.Descend(data, &riff, RiffFile::Find::Chunk) != kRiffOk) {
        m_openResult = kRiffNotWave;
        return false;
    }
    // A file cut short keeps the data it has; its length says so.
    int64_t present = std::max<int64_t>(0, fileSize - static_cast<int64_t>(data.dataOffset));
    m_totalBytes = static_cast<uint32_t>(std::min<int64_t>(data.size, present));
    m_notYetRead = m_totalBytes;
    m_format = std::move(format);
    m_kind = SourceKind::Wave;
    return true;
}

bool CWaveFile::OpenMp3() {
    m_mp3File = std::make_unique<CMP3File>(m_fileName);
    if (!m_mp3File->IsValid()) {
        m_openResult = m_mp3File->GetFileSize() == 0 ? kRiffCannotOpen : kRiffNotWave;
        return false;
    }
    m_mp3 = std::make_unique<Mp3StreamDecoder>();
    if (!m_mp3->Open(*m_mp3File)) {
        m_openResult = kRiffCannotOpen;
        return false;
    }
    // The decoder always delivers stereo, so the format says two channels even
    // for a mono file (the MP3 description keeps the file's own count).
    auto format = std::make_unique<WaveFormat>();
    double frames = std::floor(m_mp3File->GetDuration() * 44100);
    m_mp3Frames = static_cast<uint32_t>(std::min(frames, static_cast<double>(UINT32_MAX / 4)));
    m_totalBytes = m_mp3Frames * 4;
    m_notYetRead = m_totalBytes;
    m_format = std::move(format);
    m_kind = SourceKind::Mp3;
    return true;
}

void CWaveFile::AllocateBuffer(int bufferMilliseconds) {
    const uint32_t align = m_format->blockAlign;
    double wanted = static_cast<double>(m_format->samplesPerSec) * align * (bufferMilliseconds * 0.001);
    uint64_t bytes = wanted > 0 ? static_cast<uint64_t>(std::min(wanted, static_cast<double>(kMaxReadAheadBytes)))
                                : 0;
    bytes -= bytes % align;
    bytes = std::max<uint64_t>(bytes, align);
    try {
        m_buffer.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        m_openResult = kRiffNoMemory;
        m_format.reset();
        return;
    }
    m_capacity = static_cast<int32_t>(bytes);
    m_open = true;
}

uint32_t CWaveFile::ReadSource(uint8_t* buffer, uint32_t bytes) {
    bytes = std::min(bytes, m_notYetRead);
    if (bytes == 0) return 0;
    if (m_kind == SourceKind::Wave) {
        int64_t got = m_riff.Read(buffer, bytes);
        if (got < static_cast<int64_t>(bytes)) {
            // The data ended early: keep what came and treat the rest as gone.
            m_notYetRead = 0;
            return got > 0 ? static_cast<uint32_t>(got) : 0;
        }
        m_notYetRead -= bytes;
        return bytes;
    }
    if (m_kind == SourceKind::Mp3) {
        uint32_t got = m_mp3->Read(buffer, bytes);
        m_notYetRead -= got;
        return got;
    }
    return 0;
}

void CWaveFile::Refill() {
    int32_t tail = m_valid - m_offset;
    if (tail > 0 && m_offset > 0) std::memmove(m_buffer.data(), m_buffer.data() + m_offset, static_cast<size_t>(tail));
    m_offset = 0;
    uint32_t got = ReadSource(m_buffer.data() + tail, static_cast<uint32_t>(m_capacity - tail));
    m_valid = tail + static_cast<int32_t>(got);
    m_bytesConsumed += got;
}

uint32_t CWaveFile::ReadBytes(void* buffer, uint32_t bytes) {
    auto* out = static_cast<uint8_t*>(buffer);
    if (!m_open) {
        std::memset(out, 0, bytes);
        return bytes;
    }
    uint32_t copied = 0;
    while (bytes > 0) {
        uint32_t n = std::min<uint32_t>(bytes, static_cast<uint32_t>(m_valid - m_offset));
        std::memcpy(out + copied, m_buffer.data() + m_offset, n);
        m_offset += static_cast<int32_t>(n);
        copied += n;
        bytes -= n;
        if (m_offset == m_valid) {
            Refill();
            if (m_valid == 0) break;  // the source has nothing more
        }
    }
    return copied;
}

uint32_t CWaveFile::ReadFrames(void* buffer, uint32_t frames) {
    if (!m_open) {
        std::memset(buffer, 0, static_cast<size_t>(frames) * 4);
        return frames;
    }
    const uint32_t align = m_format->blockAlign;
    frames = std::min(frames, UINT32_MAX / align);
    return ReadBytes(buffer, frames * align) / align;
}

uint32_t CWaveFile::Tell() {
    int64_t bytes = static_cast<int64_t>(m_offset) + m_bytesConsumed - m_valid;
    return static_cast<uint32_t>(bytes / GetBlockAlign());
}

bool CWaveFile::Seek(uint32_t frame) {
    const int64_t align = GetBlockAlign();
    int64_t t = (static_cast<int64_t>(frame) - CWaveFile::Tell()) * align + m_offset;  // the source position, not a subclass's
    if (t >= 0 && t <= m_valid) {
        m_offset = static_cast<int32_t>(t);
        return true;
    }
    int64_t d = t - m_valid;
    bool allowed = m_open && ((d > 0 && d <= m_notYetRead) ||
                              (d < 0 && static_cast<int64_t>(m_notYetRead) - d <= m_totalBytes));
    if (!allowed || !MoveSource(d, frame)) {
        m_offset = m_valid;
        return false;
    }
    m_valid = 0;
    m_offset = 0;
    m_bytesConsumed = static_cast<uint32_t>(frame * align);
    Refill();
    return true;
}

bool CWaveFile::MoveSource(int64_t delta, uint32_t frame) {
    if (m_kind == SourceKind::Wave) {
        if (m_riff.Seek(delta, SEEK_CUR) < 0) return false;
        m_notYetRead = static_cast<uint32_t>(static_cast<int64_t>(m_notYetRead) - delta);
        return true;
    }
    if (m_kind == SourceKind::Mp3) {
        if (!m_mp3->Move(delta)) {
            m_notYetRead = 0;
            return false;
        }
        m_notYetRead = (m_mp3Frames - std::min(m_mp3Frames, frame)) * 4;
        return true;
    }
    return false;
}

uint32_t CWaveFile::GetLength() {
    return m_open ? m_totalBytes / GetBlockAlign() : 0;
}

bool CWaveFile::SeekSeconds(double seconds) {
    double frame = std::trunc(GetSampleRate() * seconds);
    if (!(frame >= 0)) frame = 0;
    return Seek(static_cast<uint32_t>(std::min(frame, static_cast<double>(UINT32_MAX))));
}

CWaveFile::BufferView CWaveFile::GetBufferView() const {
    return {m_buffer.data(), m_valid, m_offset, static_cast<int64_t>(m_bytesConsumed) - m_valid};
}

}  // namespace vantor
