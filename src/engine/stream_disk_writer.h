#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "engine/data_stream.h"
#include "engine/thread.h"
#include "engine/wave_writer.h"
#include "platform/event.h"
#include "platform/message_queue.h"
#include "platform/result.h"
#include "platform/wave_format.h"

namespace vantor {

// Renders a range of a set stream into a wave file: `fmt `, a `fact` chunk
// holding the length of the requested range, then the PCM in `data`. A
// stopped (cancelled) mixdown still leaves a valid file of what was written.
class CStreamDiskWriter : public CThread {
public:
    // Posted to the notify window when the writer stops.
    static constexpr uint32_t kDoneMessage = kUserMessage + 4;
    // At most one second of standard audio per pass.
    static constexpr uint32_t kPassBytes = 176400;

    // The stream is not owned; it is repositioned, started and stopped here.
    explicit CStreamDiskWriter(IDataStream* source);
    ~CStreamDiskWriter() override;

    // Creates the file and writes everything up to the start of the data.
    bool Open(const std::string& fileName, const WaveFormat& format);
    // Renders frames [start, end). Without a window, waits until done; with
    // one, returns at once and kDoneMessage is posted at the end. False when
    // the writer already runs or no file is open.
    bool Start(uint32_t startFrame, uint32_t endFrame, MessageQueue* window);
    uint32_t GetCurrentFrame() const { return m_currentFrame.load(std::memory_order_relaxed); }
    // Finishes the file now, its `fact` stating the frames written; done at
    // destruction otherwise. A file that could not be written whole (a full
    // disk) is removed rather than left with wrong sizes: false, and
    // GetWriteError() says why.
    bool Finish();
    // True once a write failed; the writer then stopped.
    bool HasWriteFailed() const { return m_failed.load(); }
    const std::string& GetWriteError() const { return m_writer.GetError(); }

protected:
    int32_t Run() override;
    void OnStopRequest() override {}

private:
    IDataStream* m_source;
    std::string m_fileName;
    WaveFormat m_format;
    WaveWriter m_writer;
    bool m_open = false;
    std::atomic<uint32_t> m_currentFrame{0};
    std::atomic<bool> m_failed{false};
    uint32_t m_startFrame = 0;
    uint32_t m_endFrame = 0;
    MessageQueue* m_window = nullptr;
    Event m_done{Event::Reset::Manual};
    std::mutex m_lock;
};

// Succeeds when the volume holding path has more than neededBytes free (total
// free bytes, not the caller's quota). Otherwise the refusal is "Insufficient
// disk space. At least %u bytes need to be free." under the caption, as an
// error; a failed query refuses without a text, as the check fails silently.
Status CheckDiskSpace(const std::string& path, uint64_t neededBytes, const std::string& caption);

// The file name of section b of a batch: "mix.wav" -> "mix2.wav" for b = 2.
std::string BatchFileName(const std::string& chosen, uint32_t section);

}  // namespace vantor
