#include "platform/null_audio_device_clock.h"

#include <algorithm>
#include <chrono>

#include "platform/null_audio_device.h"

namespace vantor {

void NullAudioDeviceClock::Attach(NullAudioBuffer* buffer) {
    std::lock_guard lock(m_mutex);
    m_buffers.push_back(buffer);
}

void NullAudioDeviceClock::Detach(NullAudioBuffer* buffer) {
    std::lock_guard lock(m_mutex);
    m_buffers.erase(std::remove(m_buffers.begin(), m_buffers.end(), buffer), m_buffers.end());
}

void ManualAudioClock::Advance(uint32_t frames) {
    std::lock_guard lock(BuffersMutex());
    for (NullAudioBuffer* buffer : BuffersLocked()) buffer->AdvanceFrames(frames);
}

std::vector<NullAudioBuffer*> ManualAudioClock::Buffers() {
    std::lock_guard lock(BuffersMutex());
    return BuffersLocked();
}

RealAudioClock::RealAudioClock() : m_thread(&RealAudioClock::Tick, this) {}

RealAudioClock::~RealAudioClock() {
    {
        std::lock_guard lock(m_stopMutex);
        m_stop = true;
    }
    m_stopCondition.notify_all();
    m_thread.join();
}

void RealAudioClock::Tick() {
    using Clock = std::chrono::steady_clock;
    // 5 ms ticks: finer than the shortest notification interval (5120 bytes
    // of standard audio, 29 ms), so notifications arrive about on time.
    constexpr auto kInterval = std::chrono::milliseconds(5);
    auto last = Clock::now();
    std::unique_lock stopLock(m_stopMutex);
    while (!m_stopCondition.wait_for(stopLock, kInterval, [this] { return m_stop; })) {
        auto now = Clock::now();
        auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - last).count();
        last = now;
        std::lock_guard lock(BuffersMutex());
        for (NullAudioBuffer* buffer : BuffersLocked()) buffer->AdvanceNanoseconds(static_cast<uint64_t>(elapsed));
    }
}

}  // namespace vantor
