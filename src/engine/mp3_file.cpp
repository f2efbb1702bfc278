#include "engine/mp3_file.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/file_io.h"

namespace vantor {

namespace {

// MPEG-1 layer III bit rates 32 ... 320 kbit/s in bytes per second.
constexpr uint32_t kBytesPerSecond[16] = {0,     4000,  5000,  6000,  7000,  8000,  10000, 12000,
                                          14000, 16000, 20000, 24000, 28000, 32000, 40000, 0};

constexpr size_t kScanChunk = 1024;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string TagText(const std::array<uint8_t, CMP3File::kTagBytes>& tag, size_t offset) {
    if (tag[0] != 'T') return {};
    std::string text(reinterpret_cast<const char*>(tag.data() + offset), 30);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// Bytes taken by an ID3v2 tag at the start of the file (its header gives a
// 28-bit size in 7-bit bytes), so that its contents are not taken for a frame.
uint64_t LeadingTagBytes(const uint8_t* head, size_t n) {
    if (n < 10 || head[0] != 'I' || head[1] != 'D' || head[2] != '3') return 0;
    if ((head[6] | head[7] | head[8] | head[9]) & 0x80) return 0;
    uint64_t size = static_cast<uint64_t>(head[6]) << 21 | head[7] << 14 | head[8] << 7 | head[9];
    return 10 + size + ((head[5] & 0x10) ? 10 : 0);
}

}  // namespace

bool CMP3File::IsValidHeader(const uint8_t* h) {
    if (h[0] != 0xFF || h[1] < 0xE0) return false;
    if (((h[1] >> 3) & 3) != 3) return false;  // MPEG-1
    if (((h[1] >> 1) & 3) != 1) return false;  // layer III
    if (((h[2] >> 2) & 3) != 0) return false;  // 44100 Hz
    return (h[2] >> 4) != 15;
}

uint32_t CMP3File::BytesPerSecondOf(const uint8_t* header) { return kBytesPerSecond[header[2] >> 4]; }

uint32_t CMP3File::FrameLength(uint32_t bytesPerSecond, bool padded) {
    return static_cast<uint32_t>(static_cast<uint64_t>(bytesPerSecond) * 1152 / 44100) + (padded ? 1 : 0);
}

CMP3File::CMP3File(const std::string& fileName) : m_fileName(fileName) {
    m_format.formatTag = WaveFormat::kTagMpegLayer3;
    m_format.avgBytesPerSec = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) return;
    auto size = RegularFileSize(file.get());
    if (!size || *size > UINT32_MAX) return;
    m_fileSize = static_cast<uint32_t>(*size);

    if (m_fileSize >= kTagBytes && std::fseek(file.get(), -static_cast<long>(kTagBytes), SEEK_END) == 0 &&
        std::fread(m_tag.data(), 1, kTagBytes, file.get()) == kTagBytes) {
        if (!(m_tag[0] == 'T' && m_tag[1] == 'A' && m_tag[2] == 'G')) m_tag.fill(0);
    } else {
        m_tag.fill(0);
    }

    // Chunks overlap by three bytes so that a header across a chunk border is
    // still seen.
    std::vector<uint8_t> chunk(kScanChunk);
    uint64_t position = 0;
    if (std::fseek(file.get(), 0, SEEK_SET) == 0) {
        size_t n = std::fread(chunk.data(), 1, chunk.size(), file.get());
        position = LeadingTagBytes(chunk.data(), n);
    }
    bool found = false;
    while (!found && position + 4 <= m_fileSize) {
        if (std::fseek(file.get(), static_cast<long>(position), SEEK_SET) != 0) return;
        size_t n = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (n < 4) return;
        for (size_t i = 0; i + 3 < n; ++i) {
            if (chunk[i] == 0xFF && IsValidHeader(&chunk[i])) {
                m_firstFrameOffset = static_cast<uint32_t>(position + i);
                found = true;
                break;
            }
        }
        position += n - 3;
    }
    if (!found) return;

    uint8_t header[4];
    if (std::fseek(file.get(), static_cast<long>(m_firstFrameOffset), SEEK_SET) != 0 ||
        std::fread(header, 1, 4, file.get()) != 4 || !IsValidHeader(header))
        return;
    m_format.channels = ((header[3] >> 6) == 3) ? 1 : 2;
    m_format.avgBytesPerSec = BytesPerSecondOf(header);
    bool padded = (header[2] >> 1) & 1;
    m_framePayloadLength = static_cast<int32_t>(FrameLength(m_format.avgBytesPerSec, false)) - (padded ? 3 : 4);
    m_valid = m_format.avgBytesPerSec != 0;  // free format has no bit rate
}

double CMP3File::GetDuration() const {
    if (m_format.avgBytesPerSec == 0) return 0.0;
    double bytes = static_cast<double>(m_fileSize) - m_firstFrameOffset - static_cast<double>(kTagBytes);
    return bytes > 0 ? bytes / m_format.avgBytesPerSec : 0.0;
}

std::string CMP3File::GetTagTitle() const { return TagText(m_tag, 3); }
std::string CMP3File::GetTagArtist() const { return TagText(m_tag, 33); }

}  // namespace vantor
