#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// Result codes of the RIFF layer. The numbers follow the multimedia file I/O
// that the wave readers and writers were first written against, so that logs
// and tests speak the same codes.
enum RiffResult : int {
    kRiffOk = 0,
    kRiffChunkNotFound = 265,
    kRiffNoMemory = 57344,
    kRiffCannotOpen = 57600,
    kRiffNotWave = 57601,      // not RIFF/WAVE, `fmt ` too short, extra bytes short
    kRiffCannotRead = 57602,   // the format could not be read
    kRiffDataEnded = 57603,    // the data ended inside the I/O buffer
    kRiffCannotWrite = 57604,
};

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

constexpr uint32_t kFourCCRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr uint32_t kFourCCList = MakeFourCC('L', 'I', 'S', 'T');

// One chunk as descend, ascend and create see it.
struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;        // bytes of content (for RIFF/LIST including the form type)
    uint32_t formType = 0;    // RIFF and LIST only
    uint64_t dataOffset = 0;  // file offset of the content (after the form type for RIFF/LIST)
    bool created = false;     // made by CreateChunk: Ascend writes the size back
};

// A RIFF file with its own I/O buffer: descend into, ascend out of and create
// chunks, and read, write and seek through the buffer. Sizes read from the
// file are never trusted for allocations; reads past the file end come short.
class RiffFile {
public:
    enum class Mode { Read, Create, ReadWrite };
    enum class Find { Next, Chunk, Riff };

    RiffFile() = default;
    ~RiffFile();
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;

    RiffResult Open(const std::string& path, Mode mode, size_t bufferBytes = 8192);
    // Flushes pending writes and closes; kRiffCannotWrite when the flush failed.
    RiffResult Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads the chunk header at the current position. Find::Chunk skips chunks
    // until one with chunk.id, Find::Riff until a RIFF chunk with chunk.formType;
    // the search stays inside parent when one is given.
    RiffResult Descend(RiffChunk& chunk, const RiffChunk* parent, Find find);
    // Moves past the end of the chunk (and its pad byte); a created chunk gets
    // its size written into its header first.
    RiffResult Ascend(RiffChunk& chunk);
    // Writes a chunk header (with chunk.formType for RIFF/LIST) at the current
    // position; the size is fixed by Ascend.
    RiffResult CreateChunk(RiffChunk& chunk);

    // Bytes read (fewer at the end of the file), or -1 on an error.
    int64_t Read(void* buffer, size_t bytes);
    // True when every byte went into the buffer or the file.
    bool Write(const void* buffer, size_t bytes);
    // Absolute position, or -1 when the seek failed.
    int64_t Seek(int64_t offset, int whence);
    int64_t Tell() const { return m_position; }
    bool Flush();

private:
    bool FillBuffer();
    bool ReadExact(void* buffer, size_t bytes);

    int m_fd = -1;
    Mode m_mode = Mode::Read;
    std::vector<uint8_t> m_buffer;
    size_t m_bufferStart = 0;   // read: next unread byte; write: unused
    size_t m_bufferEnd = 0;     // read: bytes held; write: bytes pending
    bool m_writing = false;     // the buffer holds pending writes
    int64_t m_position = 0;     // logical file position
};

}  // namespace vantor
