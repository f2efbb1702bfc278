#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio_device.h"
#include "platform/null_audio_device_clock.h"

namespace vantor {

// A looping buffer that no sound card plays: its play cursor moves with a
// clock, and what it passes can be recorded, which is what a listener would
// have heard. It can be marked lost to exercise restoring.
class NullAudioBuffer : public IAudioBuffer {
public:
    NullAudioBuffer(std::shared_ptr<NullAudioDeviceClock> clock, uint32_t bytes, const WaveFormat& format,
                    uint32_t flags);
    ~NullAudioBuffer() override;

    uint32_t GetSize() const override { return static_cast<uint32_t>(m_data.size()); }
    const WaveFormat& GetFormat() const override { return m_format; }
    AudioResult PlayLooping() override;
    AudioResult Stop() override;
    bool IsPlaying() const override;
    AudioResult SetCurrentPosition(uint32_t offset) override;
    AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) const override;
    AudioResult Lock(uint32_t offset, uint32_t bytes, AudioRegion* region) override;
    AudioResult Unlock(const AudioRegion& region) override;
    AudioResult SetNotificationPositions(const std::vector<uint32_t>& offsets, Event* event) override;
    AudioResult Restore() override;
    AudioResult SetVolume(int32_t hundredthsOfDecibel) override;

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

    // How far the write cursor runs ahead of a playing play cursor.
    uint32_t GetWriteLead() const { return m_writeLead; }

private:
    void AdvanceBytesLocked(uint64_t bytes, Event** signal);

    std::shared_ptr<NullAudioDeviceClock> m_clock;
    const WaveFormat m_format;
    const uint32_t m_flags;
    uint32_t m_writeLead;
    std::vector<uint8_t> m_data;

    mutable std::mutex m_mutex;
    uint32_t m_play = 0;
    bool m_playing = false;
    bool m_lost = false;
    bool m_restoreFails = false;
    std::vector<uint32_t> m_notifyOffsets;
    Event* m_notifyEvent = nullptr;
    uint64_t m_pendingTime = 0;  // nanoseconds x samples per second not yet a whole frame
    mutable uint64_t m_cursorReads = 0;
    bool m_recordHeard = false;
    std::vector<uint8_t> m_heard;
};

// The device with no sound card behind it: every call succeeds as far as the
// arguments allow, and its buffers play silently on the given clock.
class NullAudioDevice : public IAudioDevice {
public:
    explicit NullAudioDevice(std::shared_ptr<NullAudioDeviceClock> clock);

    AudioResult SetCooperativeLevel(int32_t level) override;
    AudioResult SetPrimaryFormat(const WaveFormat& format) override;
    std::unique_ptr<IAudioBuffer> CreateBuffer(uint32_t bytes, const WaveFormat& format, uint32_t flags) override;

private:
    std::shared_ptr<NullAudioDeviceClock> m_clock;
};

}  // namespace vantor
