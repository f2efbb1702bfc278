#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/data_stream.h"
#include "engine/thread.h"
#include "platform/audio_device.h"
#include "platform/event.h"
#include "platform/message_queue.h"

namespace vantor {

// Streams a data stream into a looping device buffer, refilled whenever the
// play cursor passes one of its notification positions. Keeps the set frame
// being heard, repeats a loop range, stops at an end position, and pauses by
// writing silence.
class CStreamAudioOutput : public CThread {
public:
    // Posted to the notify window, with the output as first parameter, when
    // the thread ends.
    static constexpr uint32_t kPlaybackEndedMessage = kUserMessage + 101;

    static constexpr uint32_t kSmallBufferBytes = 30720;   // about 174 ms
    static constexpr uint32_t kLargeBufferBytes = 176400;  // one second
    static constexpr uint32_t kSmallNotificationCount = 6;
    static constexpr uint32_t kLargeNotificationCount = 30;

    // The source is not owned and must outlive the output.
    CStreamAudioOutput(IDataStream* source, bool largeBuffer, AudioDeviceOpener opener = OpenAudioDevice);
    ~CStreamAudioOutput() override;

    // False while the thread runs, or when the device, its format or the
    // buffer cannot be had; nothing plays then.
    bool Open(const DeviceId* device, const WaveFormat& format, int32_t cooperativeLevel, uint32_t bufferFlags);
    // Starts the thread from the write position; false when not opened or
    // already playing.
    bool Play();
    void SetPosition(uint32_t frame);
    // Waits for a notification being served, so the answer is never half
    // way through one.
    // The audible position, waiting for a notification being served.
    uint32_t GetPosition() const;
    // The audible position as last published, without waiting: for callers
    // that may hold a lock the serving thread needs (a paused set freezes
    // its track streams while the user interface still asks for the time).
    uint32_t PeekPosition() const { return m_audiblePosition.load(std::memory_order_acquire); }
    // 0: no end position.
    void SetEndPosition(uint32_t frame);
    // A range whose end is not after its start means no loop.
    void SetLoop(uint32_t start, uint32_t end);
    // The loop range last set, read under the position lock.
    void GetLoop(uint32_t& start, uint32_t& end) const;
    void SetNotifyWindow(MessageQueue* window);
    void Pause();
    void Resume();
    void Stop();

    uint32_t GetBufferBytes() const { return m_bufferBytes; }
    uint32_t GetNotificationCount() const { return m_notificationCount; }

protected:
    int32_t Run() override;
    void OnStopRequest() override;

private:
    // One turn of the thread after a notification; callers hold both locks.
    void ServiceLocked(uint32_t playCursor, uint32_t writeCursor);
    void AdvanceAudibleLocked(uint32_t playCursor);
    // Writes bytes at the write offset; false when the buffer could not be
    // locked (lost, and not restored).
    bool FillLocked(uint32_t bytes);
    uint32_t WritePart(uint8_t* part, uint32_t bytes, bool fromSource);
    bool HasLoopLocked() const { return m_loopEnd > m_loopStart; }
    void StartEndCountdownLocked() {
        m_silent = true;
        m_endCountdown = static_cast<int32_t>(2 * m_notificationCount);
    }
    void Release();

    IDataStream* m_source;
    AudioDeviceOpener m_opener;
    const uint32_t m_bufferBytes;
    const uint32_t m_notificationCount;

    std::shared_ptr<EventHub> m_hub;
    Event m_notify;  // auto-reset, set by the buffer's notifications
    Event m_stop;    // manual-reset

    std::unique_ptr<IAudioDevice> m_device;
    std::unique_ptr<IAudioBuffer> m_buffer;
    WaveFormat m_format;

    std::mutex m_bufferLock;                 // cursor reads and buffer writes
    mutable std::mutex m_positionLock;  // positions, loop state, silence; taken after the buffer lock
    uint32_t m_writePosition = 0;
    uint32_t m_endPosition = 0;
    std::atomic<uint32_t> m_audiblePosition{0};  // written under the position lock
    uint32_t m_lastPlayCursor = 0;
    int64_t m_writeOffset = 0;  // -1: take the device's write cursor at the next notification
    bool m_silent = false;
    MessageQueue* m_notifyWindow = nullptr;
    int32_t m_endCountdown = -1;
    uint32_t m_loopStart = 0;
    uint32_t m_loopEnd = 0;
    uint32_t m_activeLoopStart = 0;
    uint32_t m_activeLoopEnd = 0;
    int32_t m_loopCount = 0;
};

}  // namespace vantor
