#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/looping_audio_buffer.h"
#include "platform/looping_audio_device.h"
#include "platform/null_audio_device_clock.h"

namespace vantor {

// A looping buffer that no sound card plays: its play cursor moves with a
// clock, and what it passes can be recorded, which is what a listener would
// have heard. It can be marked lost to exercise restoring.
class NullAudioBuffer : public LoopingAudioBuffer {
public:
    NullAudioBuffer(std::shared_ptr<NullAudioDeviceClock> clock, uint32_t bytes, const WaveFormat& format,
                    uint32_t flags);
    ~NullAudioBuffer() override;

    AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) const override;

    // Called by the clocks.
    void AdvanceFrames(uint64_t frames);
    void AdvanceNanoseconds(uint64_t nanoseconds);

    // For tests: losing the buffer as a device would, refusing to restore,
    // recording what the play cursor passes, and counting cursor reads (an
    // output reads them once per notification it serves).
    void MarkLost();
    void SetRestoreFails(bool fails);
    void RecordHeard(bool record);
    std::vector<uint8_t> TakeHeard();
    uint64_t GetCursorReadCount() const;

protected:
    bool StartLocked() override { return true; }
    void StopLocked() override { m_pendingTime = 0; }
    bool RestoreLocked() override { return !m_restoreFails; }

private:
    void AdvanceBytesLocked(uint64_t bytes, Event** signal);

    std::shared_ptr<NullAudioDeviceClock> m_clock;
    // Under Mutex().
    bool m_restoreFails = false;
    uint64_t m_pendingTime = 0;  // nanoseconds x samples per second not yet a whole frame
    mutable uint64_t m_cursorReads = 0;
    bool m_recordHeard = false;
    std::vector<uint8_t> m_heard;
};

// The device with no sound card behind it: every call succeeds as far as the
// arguments allow, and its buffers play silently on the given clock.
class NullAudioDevice : public LoopingAudioDevice {
public:
    explicit NullAudioDevice(std::shared_ptr<NullAudioDeviceClock> clock);

protected:
    std::unique_ptr<IAudioBuffer> CreateUsableBuffer(uint32_t bytes, const WaveFormat& format,
                                                     uint32_t flags) override;

private:
    std::shared_ptr<NullAudioDeviceClock> m_clock;
};

}  // namespace vantor
