#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor {

class NullAudioBuffer;

// What moves the play cursors of the null device's buffers. Buffers attach
// themselves for their lifetime; a clock advances every attached buffer under
// its own lock, so a buffer never goes away in the middle of a tick.
class NullAudioDeviceClock {
public:
    NullAudioDeviceClock() = default;
    NullAudioDeviceClock(const NullAudioDeviceClock&) = delete;
    NullAudioDeviceClock& operator=(const NullAudioDeviceClock&) = delete;
    virtual ~NullAudioDeviceClock() = default;

    void Attach(NullAudioBuffer* buffer);
    void Detach(NullAudioBuffer* buffer);

protected:
    std::mutex& BuffersMutex() { return m_mutex; }
    // Callers hold BuffersMutex().
    const std::vector<NullAudioBuffer*>& BuffersLocked() const { return m_buffers; }

private:
    std::mutex m_mutex;
    std::vector<NullAudioBuffer*> m_buffers;
};

// A clock that moves only when told: tests step playback exactly.
class ManualAudioClock : public NullAudioDeviceClock {
public:
    // Moves every playing buffer's play cursor by frames of its own format and
    // signals the notifications passed, before returning.
    void Advance(uint32_t frames);
    // The buffers attached now, oldest first; valid while their owners live.
    std::vector<NullAudioBuffer*> Buffers();
};

// A clock that follows the wall clock: a small thread advances the buffers by
// the time elapsed since its last tick, every few milliseconds.
class RealAudioClock : public NullAudioDeviceClock {
public:
    RealAudioClock();
    ~RealAudioClock() override;

private:
    void Tick();

    std::mutex m_stopMutex;
    std::condition_variable m_stopCondition;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace vantor
