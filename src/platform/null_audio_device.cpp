#include "platform/null_audio_device.h"

#include <algorithm>
#include <utility>

namespace vantor {

NullAudioBuffer::NullAudioBuffer(std::shared_ptr<NullAudioDeviceClock> clock, uint32_t bytes,
                                 const WaveFormat& format, uint32_t flags)
    : LoopingAudioBuffer(bytes, format, flags), m_clock(std::move(clock)) {
    // About 10 ms of committed audio ahead of the play cursor.
    SetWriteLead(format.samplesPerSec / 100 * format.blockAlign);
    m_clock->Attach(this);
}

NullAudioBuffer::~NullAudioBuffer() { m_clock->Detach(this); }

AudioResult NullAudioBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
    std::lock_guard lock(Mutex());
    ++m_cursorReads;
    return LoopingAudioBuffer::GetCurrentPosition(play, write);
}

void NullAudioBuffer::AdvanceFrames(uint64_t frames) {
    Event* signal = nullptr;
    {
        std::lock_guard lock(Mutex());
        if (!IsPlaying()) return;
        AdvanceBytesLocked(frames * GetFormat().blockAlign, &signal);
    }
    if (signal) signal->Set();
}

void NullAudioBuffer::AdvanceNanoseconds(uint64_t nanoseconds) {
    constexpr uint64_t kSecond = 1'000'000'000;
    Event* signal = nullptr;
    {
        std::lock_guard lock(Mutex());
        if (!IsPlaying()) return;
        // A stalled tick moves at most one second, as a device would drop out.
        m_pendingTime += std::min(nanoseconds, kSecond) * GetFormat().samplesPerSec;
        uint64_t frames = m_pendingTime / kSecond;
        m_pendingTime %= kSecond;
        if (frames > 0) AdvanceBytesLocked(frames * GetFormat().blockAlign, &signal);
    }
    if (signal) signal->Set();
}

void NullAudioBuffer::AdvanceBytesLocked(uint64_t bytes, Event** signal) {
    const uint32_t play = GetPlayCursor();
    if (m_recordHeard) {
        size_t at = m_heard.size();
        // A lost buffer is not played at all.
        m_heard.resize(at + bytes, GetFormat().SilenceByte());
        if (!IsLostLocked()) CopyLooping(play, m_heard.data() + at, bytes);
    }
    *signal = MovePlayCursor(play, bytes);
}

void NullAudioBuffer::MarkLost() {
    std::lock_guard lock(Mutex());
    SetLostLocked();
}

void NullAudioBuffer::SetRestoreFails(bool fails) {
    std::lock_guard lock(Mutex());
    m_restoreFails = fails;
}

void NullAudioBuffer::RecordHeard(bool record) {
    std::lock_guard lock(Mutex());
    m_recordHeard = record;
}

std::vector<uint8_t> NullAudioBuffer::TakeHeard() {
    std::lock_guard lock(Mutex());
    return std::exchange(m_heard, {});
}

uint64_t NullAudioBuffer::GetCursorReadCount() const {
    std::lock_guard lock(Mutex());
    return m_cursorReads;
}

NullAudioDevice::NullAudioDevice(std::shared_ptr<NullAudioDeviceClock> clock) : m_clock(std::move(clock)) {}

std::unique_ptr<IAudioBuffer> NullAudioDevice::CreateUsableBuffer(uint32_t bytes, const WaveFormat& format,
                                                                  uint32_t flags) {
    return std::make_unique<NullAudioBuffer>(m_clock, bytes, format, flags);
}

}  // namespace vantor
