#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio_device.h"

namespace vantor {

// What every backend's buffer is: looping memory with a play cursor and a
// write cursor a fixed lead ahead of it while playing, two-part locking,
// notification positions, loss and restore, and start and stop. A backend
// supplies what plays the bytes (StartLocked, StopLocked) and moves the play
// cursor with MovePlayCursor as the bytes are played.
class LoopingAudioBuffer : public IAudioBuffer {
public:
    uint32_t GetSize() const final { return static_cast<uint32_t>(m_data.size()); }
    const WaveFormat& GetFormat() const final { return m_format; }

    AudioResult PlayLooping() final;
    AudioResult Stop() final;
    bool IsPlaying() const final { return m_playing.load(std::memory_order_acquire); }
    AudioResult SetCurrentPosition(uint32_t offset) final;
    AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) const override;
    AudioResult Lock(uint32_t offset, uint32_t bytes, AudioRegion* region) final;
    AudioResult Unlock(const AudioRegion& region) final;
    AudioResult SetNotificationPositions(const std::vector<uint32_t>& offsets, Event* event) final;
    AudioResult Restore() final;
    AudioResult SetVolume(int32_t hundredthsOfDecibel) final;

    // How far the write cursor runs ahead of a playing play cursor.
    uint32_t GetWriteLead() const { return m_writeLead; }
    // Regions handed out by Lock and given back by Unlock so far: equal
    // counts mean no writer is filling the buffer at this moment.
    uint64_t GetLockCount() const { return m_locks.load(std::memory_order_acquire); }
    uint64_t GetUnlockCount() const { return m_unlocks.load(std::memory_order_acquire); }

protected:
    // The bytes start as silence.
    LoopingAudioBuffer(uint32_t bytes, const WaveFormat& format, uint32_t flags);

    // Starts and stops what plays the bytes; called under Mutex(), on a
    // change of state only. Stopping returns once nothing reads the bytes.
    virtual bool StartLocked() = 0;
    virtual void StopLocked() = 0;
    // Brings back what a lost buffer needs, under Mutex(); false when it
    // cannot be had yet.
    virtual bool RestoreLocked() { return true; }

    // Start, stop, the notification list, loss and the cursor moves of a
    // backend that moves it under a lock.
    std::mutex& Mutex() const { return m_mutex; }
    // Rounded up to whole 4-byte steps and kept within half the buffer.
    void SetWriteLead(uint32_t bytes);
    // Moves the play cursor on by bytes from offset from and gives the event
    // to set when a notification position was passed (null otherwise); the
    // caller sets it once it holds no lock. A position is passed when the
    // cursor moves onto it; the one it stands on is passed again only after a
    // whole turn. Safe without the lock while playing: the notification list
    // changes only while stopped.
    Event* MovePlayCursor(uint32_t from, uint64_t bytes);
    uint32_t GetPlayCursor() const { return m_play.load(std::memory_order_acquire); }
    // Copies bytes out of the buffer from offset on, wrapping round as often
    // as needed.
    void CopyLooping(uint32_t offset, uint8_t* out, uint64_t bytes) const;
    // Linear gain from the volume (1 at full volume).
    float GetGain() const { return m_gain.load(std::memory_order_relaxed); }
    // A lost buffer answers BufferLost to Lock and PlayLooping until restored,
    // and what it held is gone. Callers hold Mutex().
    bool IsLostLocked() const { return m_lost; }
    void SetLostLocked() { m_lost = true; }

private:
    const WaveFormat m_format;
    const uint32_t m_flags;
    std::vector<uint8_t> m_data;
    uint32_t m_writeLead = 0;

    mutable std::mutex m_mutex;
    std::atomic<bool> m_playing{false};
    std::atomic<uint32_t> m_play{0};
    std::atomic<float> m_gain{1.0f};
    std::atomic<uint64_t> m_locks{0};
    std::atomic<uint64_t> m_unlocks{0};
    bool m_lost = false;
    std::vector<uint32_t> m_notifyOffsets;
    Event* m_notifyEvent = nullptr;
};

}  // namespace vantor
