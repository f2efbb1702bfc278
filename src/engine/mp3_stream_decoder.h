#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mp3_file.h"
#include "platform/random_access_file.h"

struct mpg123_handle_struct;

namespace vantor {

// Decodes an MP3 file to 16-bit stereo PCM at 44100 Hz with libmpg123 in feed
// mode: file bytes are fed in 16384-byte pieces and the PCM blocks the decoder
// gives back are kept in a memory buffer that reads copy from. Mono files come
// out as stereo frames with both channels equal.
class Mp3StreamDecoder {
public:
    static constexpr uint32_t kFrameBytes = 4;

    Mp3StreamDecoder() = default;
    ~Mp3StreamDecoder();
    Mp3StreamDecoder(const Mp3StreamDecoder&) = delete;
    Mp3StreamDecoder& operator=(const Mp3StreamDecoder&) = delete;

    // Opens the file described by mp3 (which must be valid) and positions it
    // at its first frame.
    bool Open(const CMP3File& mp3);

    // Copies up to bytes decoded bytes; fewer only when the stream has ended.
    uint32_t Read(uint8_t* out, uint32_t bytes);

    // Moves the read position by delta bytes (a multiple of 4). Inside the
    // decoded buffer this is exact; otherwise the file is positioned by the
    // bit rate and the decoder restarted at the nearest confirmed frame before
    // it, which is exact only for constant-bit-rate files. False when no frame
    // could be found; the stream has then ended.
    bool Move(int64_t delta);

    // Sample frames delivered, counted from the start of the file.
    uint64_t GetDeliveredFrames() const { return m_deliveredFrames; }
    // Bytes of the file fed to the decoder so far, for progress reports.
    uint64_t GetInputPosition() const { return m_inputPosition; }
    uint64_t GetInputSize() const { return m_fileSize; }
    // True when the decoder gave up on damaged data before the end of the file.
    bool Failed() const { return m_failed; }

private:
    bool StartDecoder();
    void EndDecoder();
    // Feeds the next piece of the file and keeps what the decoder produces;
    // false when the file or the decoder has ended.
    bool DecodeMore();
    bool SeekInput(uint64_t offset);
    bool FindFrameBefore(uint64_t offset, uint64_t& frame);
    bool IsConfirmedFrame(uint64_t offset);

    RandomAccessFile m_file;
    mpg123_handle_struct* m_decoder = nullptr;
    uint32_t m_bytesPerSecond = 0;
    uint64_t m_firstFrameOffset = 0;
    uint64_t m_fileSize = 0;
    uint64_t m_audioEnd = 0;  // file size less a trailing tag
    uint64_t m_inputPosition = 0;
    bool m_ended = false;
    bool m_failed = false;
    std::vector<uint8_t> m_pcm;
    size_t m_readPosition = 0;
    uint64_t m_deliveredFrames = 0;
    std::vector<uint8_t> m_input;
};

}  // namespace vantor
