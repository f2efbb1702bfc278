#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/riff_file.h"
#include "platform/wave_format.h"

namespace vantor {

class CMP3File;
class Mp3StreamDecoder;

// The reader through which the engine gets PCM out of a song's audio file: a
// RIFF wave file or an MPEG-1 layer III file, chosen by the extension, read
// frame by frame through a read-ahead buffer. A reader whose file could not be
// opened stays usable and delivers silence in the default format, so that a
// missing song plays as silence.
class CWaveFile {
public:
    static constexpr size_t kRiffBufferBytes = 102400;
    // Read-ahead buffers beyond this come only from nonsense formats.
    static constexpr uint64_t kMaxReadAheadBytes = 4u << 20;

    CWaveFile(const std::string& fileName, int bufferMilliseconds);
    virtual ~CWaveFile();
    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

    virtual double GetRatio() const { return 1.0; }
    virtual uint32_t ReadFrames(void* buffer, uint32_t frames);
    virtual uint32_t ReadBytes(void* buffer, uint32_t bytes);
    virtual uint32_t Tell();
    virtual bool Seek(uint32_t frame);
    virtual uint32_t GetLength();

    uint16_t GetFormatTag() const { return m_format ? m_format->formatTag : 1; }
    uint16_t GetChannels() const { return m_format ? m_format->channels : 2; }
    uint32_t GetSampleRate() const { return m_format ? m_format->samplesPerSec : 44100; }
    uint16_t GetBlockAlign() const { return m_format ? m_format->blockAlign : 4; }
    uint16_t GetBitsPerSample() const { return m_format ? m_format->bitsPerSample : 16; }
    bool SeekSeconds(double seconds);
    const std::string& GetFileName() const { return m_fileName; }

    // The format read or synthesised at open; null when the open failed.
    const WaveFormat* GetFormat() const { return m_format.get(); }
    // Why the open failed (kRiffOk when it did not).
    int GetOpenResult() const { return m_openResult; }
    // The description of an MP3 source; null for wave files.
    const CMP3File* GetMP3File() const { return m_mp3File.get(); }

    // "wav" or "mp3" when the text after the last "." is one of them in any
    // case, else empty.
    static std::string SourceExtension(const std::string& fileName);

protected:
    // The read-ahead buffer as the resampled reader's fast path sees it.
    struct BufferView {
        const uint8_t* data;
        int64_t valid;
        int64_t offset;
        int64_t startByte;  // data byte at the buffer's first byte
    };
    BufferView GetBufferView() const;
    void SetBufferOffset(int64_t offset) { m_offset = static_cast<int32_t>(offset); }

private:
    enum class SourceKind { None, Wave, Mp3 };

    bool OpenWave();
    bool OpenMp3();
    void AllocateBuffer(int bufferMilliseconds);
    void Refill();
    uint32_t ReadSource(uint8_t* buffer, uint32_t bytes);
    bool MoveSource(int64_t delta, uint32_t frame);

    bool m_open = false;
    std::unique_ptr<WaveFormat> m_format;
    int m_openResult = kRiffOk;
    SourceKind m_kind = SourceKind::None;
    RiffFile m_riff;
    uint32_t m_notYetRead = 0;  // data bytes not yet read from the source
    uint32_t m_bytesConsumed = 0;
    int32_t m_capacity = 0;
    std::vector<uint8_t> m_buffer;
    int32_t m_valid = 0;
    int32_t m_offset = 0;
    uint32_t m_totalBytes = 0;
    std::string m_fileName;
    std::unique_ptr<CMP3File> m_mp3File;
    std::unique_ptr<Mp3StreamDecoder> m_mp3;
    uint32_t m_mp3Frames = 0;  // length by the duration rule
};

}  // namespace vantor
