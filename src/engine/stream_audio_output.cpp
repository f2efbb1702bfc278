#include "engine/stream_audio_output.h"

#include <cstring>
#include <utility>

namespace vantor {

CStreamAudioOutput::CStreamAudioOutput(IDataStream* source, bool largeBuffer, AudioDeviceOpener opener)
    : m_source(source),
      m_opener(std::move(opener)),
      m_bufferBytes(largeBuffer ? kLargeBufferBytes : kSmallBufferBytes),
      m_notificationCount(largeBuffer ? kLargeNotificationCount : kSmallNotificationCount),
      m_hub(std::make_shared<EventHub>()),
      m_notify(Event::Reset::Auto, m_hub),
      m_stop(Event::Reset::Manual, m_hub) {}

CStreamAudioOutput::~CStreamAudioOutput() {
    Join(-1);
    Release();
}

void CStreamAudioOutput::Release() {
    m_buffer.reset();
    m_device.reset();
}

bool CStreamAudioOutput::Open(const DeviceId* device, const WaveFormat& format, int32_t cooperativeLevel,
                              uint32_t bufferFlags) {
    if (IsRunning()) return false;
    Release();
    if (!m_opener || !format.IsPlayable()) return false;
    m_device = m_opener(device);
    if (!m_device || m_device->SetCooperativeLevel(cooperativeLevel) != AudioResult::Ok ||
        m_device->SetPrimaryFormat(format) != AudioResult::Ok) {
        Release();
        return false;
    }
    m_buffer = m_device->CreateBuffer(m_bufferBytes, format, bufferFlags | kBufferStreamingFlags);
    if (!m_buffer) {
        Release();
        return false;
    }
    m_format = format;
    return true;
}

bool CStreamAudioOutput::Play() {
    if (!m_buffer || !m_source || IsRunning()) return false;
    ClearAudioBuffer(*m_buffer);
    if (SetEvenNotificationPositions(*m_buffer, m_notificationCount, &m_notify) != AudioResult::Ok) return false;
    {
        std::lock_guard lock(m_positionLock);
        m_source->SetPosition(m_writePosition, true);
        m_silent = false;
        m_endCountdown = -1;
        m_writeOffset = 0;
        // The thread starts the device at offset 0 with nothing queued: what
        // is heard first is the write position, and no loop is in flight.
        m_lastPlayCursor = 0;
        m_audiblePosition = m_writePosition;
        m_loopCount = 0;
    }
    m_source->StartStream();
    m_stop.Reset();
    m_notify.Set();
    return Start();
}

void CStreamAudioOutput::SetPosition(uint32_t frame) {
    std::lock_guard lock(m_positionLock);
    if (m_source) m_source->SetPosition(frame, true);
    m_writePosition = frame;
    m_audiblePosition = frame;
    // Loops written before the jump would otherwise wrap the new position.
    m_loopCount = 0;
}

uint32_t CStreamAudioOutput::GetPosition() const {
    std::lock_guard lock(m_positionLock);
    return m_audiblePosition;
}

void CStreamAudioOutput::SetEndPosition(uint32_t frame) {
    std::lock_guard lock(m_positionLock);
    m_endPosition = frame;
}

void CStreamAudioOutput::SetLoop(uint32_t start, uint32_t end) {
    std::lock_guard lock(m_positionLock);
    m_loopStart = start;
    m_loopEnd = end;
}

void CStreamAudioOutput::GetLoop(uint32_t& start, uint32_t& end) const {
    std::lock_guard lock(m_positionLock);
    start = m_loopStart;
    end = m_loopEnd;
}

void CStreamAudioOutput::SetNotifyWindow(MessageQueue* window) {
    std::lock_guard lock(m_positionLock);
    m_notifyWindow = window;
}

void CStreamAudioOutput::Pause() {
    std::lock_guard lock(m_positionLock);
    m_silent = true;
}

void CStreamAudioOutput::Resume() {
    std::lock_guard lock(m_positionLock);
    // Resuming what is not paused would throw away queued audio.
    if (!m_silent) return;
    m_silent = false;
    m_writeOffset = -1;
}

void CStreamAudioOutput::Stop() { Join(-1); }

void CStreamAudioOutput::OnStopRequest() {
    m_stop.Set();
    if (m_source) m_source->StopStream();
}

int32_t CStreamAudioOutput::Run() {
    bool playing;
    {
        std::lock_guard lock(m_bufferLock);
        m_buffer->SetCurrentPosition(0);
        m_buffer->SetVolume(0);
        playing = m_buffer->PlayLooping() == AudioResult::Ok;
    }
    while (playing && !IsStopRequested()) {
        if (m_endCountdown >= 0) {
            if (m_endCountdown == 0) break;
            --m_endCountdown;
        }
        if (Event::WaitAny({&m_notify, &m_stop}) == 1) break;
        std::lock_guard bufferLock(m_bufferLock);
        std::lock_guard positionLock(m_positionLock);
        uint32_t play = 0, write = 0;
        if (m_buffer->GetCurrentPosition(&play, &write) != AudioResult::Ok) continue;
        ServiceLocked(play, write);
    }
    {
        std::lock_guard lock(m_bufferLock);
        m_buffer->Stop();
    }
    MessageQueue* window;
    {
        std::lock_guard lock(m_positionLock);
        window = std::exchange(m_notifyWindow, nullptr);
    }
    if (window) window->Post(kPlaybackEndedMessage, reinterpret_cast<uintptr_t>(this), 0);
    m_stop.Reset();
    return 0;
}

void CStreamAudioOutput::AdvanceAudibleLocked(uint32_t playCursor) {
    if (!m_silent && m_writeOffset >= 0) {
        uint32_t played = (playCursor + m_bufferBytes - m_lastPlayCursor) % m_bufferBytes;
        uint64_t position = m_audiblePosition.load() + played / m_format.blockAlign;
        // A loop is heard when the audible position passes its end, not when
        // it was written.
        if (m_loopCount > 0 && m_activeLoopEnd > m_activeLoopStart && position >= m_activeLoopEnd) {
            uint64_t length = m_activeLoopEnd - m_activeLoopStart;
            uint64_t wraps = (position - m_activeLoopStart) / length;
            position = m_activeLoopStart + (position - m_activeLoopStart) % length;
            m_loopCount = wraps >= static_cast<uint64_t>(m_loopCount) ? 0 : m_loopCount - static_cast<int32_t>(wraps);
        }
        m_audiblePosition = static_cast<uint32_t>(position);
    }
    m_lastPlayCursor = playCursor;
}

void CStreamAudioOutput::ServiceLocked(uint32_t playCursor, uint32_t writeCursor) {
    AdvanceAudibleLocked(playCursor);
    if (m_writeOffset < 0) m_writeOffset = writeCursor;
    const uint32_t align = m_format.blockAlign;
    uint32_t free = static_cast<uint32_t>((playCursor + 2 * static_cast<int64_t>(m_bufferBytes) - m_writeOffset - 1) %
                                          m_bufferBytes) &
                    ~3u;
    // A loop shorter than the free space is written again as often as it
    // fits: space left unwritten would be played with what it held a turn ago.
    for (;;) {
        uint32_t bytes = free;
        if (!m_silent) {
            uint64_t frames = bytes / align;
            if (HasLoopLocked() && m_writePosition < m_loopEnd && m_loopEnd <= m_writePosition + frames)
                bytes = (m_loopEnd - m_writePosition) * align;
            else if (m_endPosition != 0 && m_writePosition < m_endPosition && m_endPosition <= m_writePosition + frames)
                bytes = (m_endPosition - m_writePosition) * align;
        }
        if (bytes > 0 && !FillLocked(bytes)) return;
        free -= bytes;
        if (m_silent) return;
        bool looped = false;
        if (HasLoopLocked() && m_writePosition >= m_loopEnd) {
            m_source->SetPosition(m_loopStart, true);
            m_writePosition = m_loopStart;
            m_activeLoopStart = m_loopStart;
            m_activeLoopEnd = m_loopEnd;
            ++m_loopCount;
            looped = true;
        }
        if (m_endPosition != 0 && m_audiblePosition >= m_endPosition) {
            StartEndCountdownLocked();
            return;
        }
        if (!looped || free == 0) return;
    }
}

bool CStreamAudioOutput::FillLocked(uint32_t bytes) {
    AudioRegion region;
    if (LockAudioBuffer(*m_buffer, static_cast<uint32_t>(m_writeOffset), bytes, &region) != AudioResult::Ok)
        return false;
    // Past the end position the source still has audio, but none of it may
    // be heard.
    bool fromSource = !m_silent && !(m_endPosition != 0 && m_writePosition >= m_endPosition);
    uint32_t delivered = WritePart(region.part1, region.bytes1, fromSource);
    // A source that fell short in the first part has ended.
    if (region.part2) delivered += WritePart(region.part2, region.bytes2, fromSource && delivered == region.bytes1);
    m_buffer->Unlock(region);
    m_writeOffset = (m_writeOffset + bytes) % m_bufferBytes;
    if (fromSource) {
        m_writePosition += delivered / m_format.blockAlign;
        // The end of a song being auditioned.
        if (delivered == 0 && m_notifyWindow) StartEndCountdownLocked();
    }
    return true;
}

uint32_t CStreamAudioOutput::WritePart(uint8_t* part, uint32_t bytes, bool fromSource) {
    uint32_t delivered = fromSource ? m_source->Read(part, bytes) : 0;
    // What the source did not deliver is silence, never what the buffer held
    // a turn ago.
    std::memset(part + delivered, m_format.bitsPerSample == 8 ? 0x80 : 0, bytes - delivered);
    return delivered;
}

}  // namespace vantor
