#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/wave_format.h"

namespace vantor {

// What the MP3 reader needs to know about an MPEG-1 layer III file at
// 44100 Hz: where its first frame lies, its bit rate (taken from the first
// frame, so exact for constant-bit-rate files), its duration and its ID3v1 tag.
class CMP3File {
public:
    static constexpr size_t kTagBytes = 128;

    explicit CMP3File(const std::string& fileName);
    virtual ~CMP3File() = default;

    // False when no valid first frame was found or the file is free-format:
    // such a file has no bit rate and no duration and is not played.
    bool IsValid() const { return m_valid; }

    uint32_t GetBytesPerSecond() const { return m_format.avgBytesPerSec; }
    // (file size - first frame offset - 128) / bytes per second; the 128 bytes
    // of a tag are deducted whether or not the file has one.
    double GetDuration() const;
    // Format tag 85; channels 1 for a mono file, else 2.
    const WaveFormat& GetFormat() const { return m_format; }

    uint32_t GetFileSize() const { return m_fileSize; }
    uint32_t GetFirstFrameOffset() const { return m_firstFrameOffset; }
    int32_t GetFramePayloadLength() const { return m_framePayloadLength; }
    const std::string& GetFileName() const { return m_fileName; }
    // The last 128 bytes when they begin with "TAG", else zeros.
    const std::array<uint8_t, kTagBytes>& GetTag() const { return m_tag; }
    bool HasTag() const { return m_tag[0] == 'T'; }
    // Title and artist of the tag, trailing blanks and zeros removed.
    std::string GetTagTitle() const;
    std::string GetTagArtist() const;

    // True for the 4 header bytes of an MPEG-1 layer III frame at 44100 Hz
    // with a bit-rate index other than 15.
    static bool IsValidHeader(const uint8_t* header);
    // Bytes per second of a header's bit-rate index; 0 for free format.
    static uint32_t BytesPerSecondOf(const uint8_t* header);
    // Length of a frame at the given bit rate, including its padding byte.
    static uint32_t FrameLength(uint32_t bytesPerSecond, bool padded);

private:
    bool m_valid = false;
    uint32_t m_fileSize = 0;
    uint32_t m_firstFrameOffset = 0;
    int32_t m_framePayloadLength = 0;
    std::string m_fileName;
    WaveFormat m_format;
    std::array<uint8_t, kTagBytes> m_tag{};
};

}  // namespace vantor
