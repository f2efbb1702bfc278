#pragma once

#include <cstdint>
#include <string>

#include "platform/riff_file.h"
#include "platform/wave_format.h"

namespace vantor {

// Writes a RIFF wave file: `fmt ` (16 bytes for PCM, else 18 plus the extra
// bytes), `fact` (the length in sample frames, fixed by Finish) and `data`.
class WaveWriter {
public:
    WaveWriter() = default;
    WaveWriter(const WaveWriter&) = delete;
    WaveWriter& operator=(const WaveWriter&) = delete;

    // Creates the file and writes everything up to the start of the data.
    bool Open(const std::string& path, const WaveFormat& format);
    bool Write(const void* bytes, size_t count);
    // Closes the data and RIFF chunks, stores frames in `fact` and closes the
    // file; false when any write failed since Open.
    bool Finish(uint32_t frames);

    uint64_t GetDataBytes() const { return m_dataBytes; }
    // Why the last write or the finish failed, in the system's words.
    const std::string& GetError() const { return m_error; }

private:
    RiffFile m_file;
    RiffChunk m_riff;
    RiffChunk m_data;
    uint64_t m_factOffset = 0;
    uint64_t m_dataBytes = 0;
    bool m_ok = false;
    std::string m_error;
};

}  // namespace vantor
