#include "platform/null_audio_device.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vantor {

namespace {

uint8_t SilenceByte(const WaveFormat& format) { return format.bitsPerSample == 8 ? 0x80 : 0; }

}  // namespace

NullAudioBuffer::NullAudioBuffer(std::shared_ptr<NullAudioDeviceClock> clock, uint32_t bytes,
                                 const WaveFormat& format, uint32_t flags)
    : m_clock(std::move(clock)), m_format(format), m_flags(flags), m_data(bytes, SilenceByte(format)) {
    // About 10 ms of committed audio ahead of the play cursor, a multiple of
    // 4 bytes (every playable block align divides 4), and never the whole buffer.
    uint32_t lead = (format.samplesPerSec / 100 * format.blockAlign + 3) & ~3u;
    m_writeLead = std::min(lead, (bytes / 2) & ~3u);
    m_clock->Attach(this);
}

NullAudioBuffer::~NullAudioBuffer() { m_clock->Detach(this); }

AudioResult NullAudioBuffer::PlayLooping() {
    std::lock_guard lock(m_mutex);
    if (m_lost) return AudioResult::BufferLost;
    m_playing = true;
    return AudioResult::Ok;
}

AudioResult NullAudioBuffer::Stop() {
    std::lock_guard lock(m_mutex);
    m_playing = false;
    m_pendingTime = 0;
    return AudioResult::Ok;
}

bool NullAudioBuffer::IsPlaying() const {
    std::lock_guard lock(m_mutex);
    return m_playing;
}

AudioResult NullAudioBuffer::SetCurrentPosition(uint32_t offset) {
    if (offset >= m_data.size()) return AudioResult::InvalidArgument;
    std::lock_guard lock(m_mutex);
    m_play = offset - offset % m_format.blockAlign;
    return AudioResult::Ok;
}

AudioResult NullAudioBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
    std::lock_guard lock(m_mutex);
    ++m_cursorReads;
    if (play) *play = m_play;
    if (write) *write = m_playing ? (m_play + m_writeLead) % GetSize() : m_play;
    return AudioResult::Ok;
}

AudioResult NullAudioBuffer::Lock(uint32_t offset, uint32_t bytes, AudioRegion* region) {
    if (!region || offset >= m_data.size() || bytes == 0 || bytes > m_data.size())
        return AudioResult::InvalidArgument;
    std::lock_guard lock(m_mutex);
    if (m_lost) return AudioResult::BufferLost;
    uint32_t first = std::min(bytes, GetSize() - offset);
    region->part1 = m_data.data() + offset;
    region->bytes1 = first;
    region->part2 = first < bytes ? m_data.data() : nullptr;
    region->bytes2 = bytes - first;
    return AudioResult::Ok;
}

AudioResult NullAudioBuffer::Unlock(const AudioRegion& region) {
    const uint8_t* begin = m_data.data();
    const uint8_t* end = begin + m_data.size();
    if (!region.part1 || region.part1 < begin || region.part1 + region.bytes1 > end) return AudioResult::InvalidArgument;
    if (region.bytes2 > 0 && region.part2 != begin) return AudioResult::InvalidArgument;
    return AudioResult::Ok;
}

AudioResult NullAudioBuffer::SetNotificationPositions(const std::vector<uint32_t>& offsets, Event* event) {
    if (!(m_flags & kBufferControlPositionNotify)) return AudioResult::NotSupported;
    if (!offsets.empty() && !event) return AudioResult::InvalidArgument;
    for (uint32_t offset : offsets)
        if (offset >= m_data.size()) return AudioResult::InvalidArgument;
    std::lock_guard lock(m_mutex);
    if (m_playing) return AudioResult::Failed;
    m_notifyOffsets = offsets;
    m_notifyEvent = offsets.empty() ? nullptr : event;
    return AudioResult::Ok;
}

AudioResult NullAudioBuffer::Restore() {
    std::lock_guard lock(m_mutex);
    if (!m_lost) return AudioResult::Ok;
    if (m_restoreFails) return AudioResult::BufferLost;
    m_lost = false;
    std::fill(m_data.begin(), m_data.end(), SilenceByte(m_format));  // a restored buffer has lost its contents
    return AudioResult::Ok;
}

AudioResult NullAudioBuffer::SetVolume(int32_t hundredthsOfDecibel) {
    // Nothing is heard, so only the range matters.
    if (hundredthsOfDecibel > 0 || hundredthsOfDecibel < -10000) return AudioResult::InvalidArgument;
    return AudioResult::Ok;
}

void NullAudioBuffer::AdvanceFrames(uint64_t frames) {
    Event* signal = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (!m_playing) return;
        AdvanceBytesLocked(frames * m_format.blockAlign, &signal);
    }
    if (signal) signal->Set();
}

void NullAudioBuffer::AdvanceNanoseconds(uint64_t nanoseconds) {
    constexpr uint64_t kSecond = 1'000'000'000;
    Event* signal = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (!m_playing) return;
        // A stalled tick moves at most one second, as a device would drop out.
        m_pendingTime += std::min(nanoseconds, kSecond) * m_format.samplesPerSec;
        uint64_t frames = m_pendingTime / kSecond;
        m_pendingTime %= kSecond;
        if (frames > 0) AdvanceBytesLocked(frames * m_format.blockAlign, &signal);
    }
    if (signal) signal->Set();
}

void NullAudioBuffer::AdvanceBytesLocked(uint64_t bytes, Event** signal) {
    const uint64_t size = m_data.size();
    if (m_recordHeard) {
        uint64_t position = m_play;
        for (uint64_t left = bytes; left > 0;) {
            uint64_t n = std::min(left, size - position);
            // A lost buffer is not played at all.
            if (m_lost)
                m_heard.insert(m_heard.end(), n, SilenceByte(m_format));
            else
                m_heard.insert(m_heard.end(), m_data.begin() + static_cast<long>(position),
                               m_data.begin() + static_cast<long>(position + n));
            left -= n;
            position = (position + n) % size;
        }
    }
    // An offset is passed when the cursor moves onto it; one it stands on
    // now is passed again only after a whole turn.
    for (uint32_t offset : m_notifyOffsets) {
        uint64_t distance = (offset + size - m_play) % size;
        if (distance == 0) distance = size;
        if (distance <= bytes) *signal = m_notifyEvent;
    }
    m_play = static_cast<uint32_t>((m_play + bytes) % size);
}

void NullAudioBuffer::MarkLost() {
    std::lock_guard lock(m_mutex);
    m_lost = true;
}

void NullAudioBuffer::SetRestoreFails(bool fails) {
    std::lock_guard lock(m_mutex);
    m_restoreFails = fails;
}

void NullAudioBuffer::RecordHeard(bool record) {
    std::lock_guard lock(m_mutex);
    m_recordHeard = record;
}

std::vector<uint8_t> NullAudioBuffer::TakeHeard() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_heard, {});
}

uint64_t NullAudioBuffer::GetCursorReadCount() const {
    std::lock_guard lock(m_mutex);
    return m_cursorReads;
}

NullAudioDevice::NullAudioDevice(std::shared_ptr<NullAudioDeviceClock> clock) : m_clock(std::move(clock)) {}

AudioResult NullAudioDevice::SetCooperativeLevel(int32_t) { return AudioResult::Ok; }

AudioResult NullAudioDevice::SetPrimaryFormat(const WaveFormat& format) {
    return format.IsPlayable() ? AudioResult::Ok : AudioResult::InvalidArgument;
}

std::unique_ptr<IAudioBuffer> NullAudioDevice::CreateBuffer(uint32_t bytes, const WaveFormat& format,
                                                            uint32_t flags) {
    if (!IsUsableBufferRequest(bytes, format)) return nullptr;
    return std::make_unique<NullAudioBuffer>(m_clock, bytes, format, flags);
}

}  // namespace vantor
