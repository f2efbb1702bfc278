#include "platform/looping_audio_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vantor {

LoopingAudioBuffer::LoopingAudioBuffer(uint32_t bytes, const WaveFormat& format, uint32_t flags)
    : m_format(format), m_flags(flags), m_data(bytes, format.SilenceByte()) {}

void LoopingAudioBuffer::SetWriteLead(uint32_t bytes) {
    // Every playable block align divides 4, so the lead is whole frames.
    m_writeLead = std::min((bytes + 3) & ~3u, (GetSize() / 2) & ~3u);
}

AudioResult LoopingAudioBuffer::PlayLooping() {
    std::lock_guard lock(m_mutex);
    if (m_lost) return AudioResult::BufferLost;
    if (m_playing.load()) return AudioResult::Ok;
    // Playing before the start, so that the first bytes played see it.
    m_playing.store(true, std::memory_order_release);
    if (!StartLocked()) {
        m_playing.store(false, std::memory_order_release);
        return AudioResult::Failed;
    }
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::Stop() {
    std::lock_guard lock(m_mutex);
    if (!m_playing.load()) return AudioResult::Ok;
    StopLocked();
    m_playing.store(false, std::memory_order_release);
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::SetCurrentPosition(uint32_t offset) {
    if (offset >= GetSize()) return AudioResult::InvalidArgument;
    std::lock_guard lock(m_mutex);
    m_play.store(offset - offset % m_format.blockAlign, std::memory_order_release);
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
    uint32_t position = m_play.load(std::memory_order_acquire);
    if (play) *play = position;
    if (write) *write = IsPlaying() ? (position + m_writeLead) % GetSize() : position;
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::Lock(uint32_t offset, uint32_t bytes, AudioRegion* region) {
    if (!region || offset >= GetSize() || bytes == 0 || bytes > GetSize()) return AudioResult::InvalidArgument;
    std::lock_guard lock(m_mutex);
    if (m_lost) return AudioResult::BufferLost;
    uint32_t first = std::min(bytes, GetSize() - offset);
    region->part1 = m_data.data() + offset;
    region->bytes1 = first;
    region->part2 = first < bytes ? m_data.data() : nullptr;
    region->bytes2 = bytes - first;
    m_locks.fetch_add(1, std::memory_order_release);
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::Unlock(const AudioRegion& region) {
    const uint8_t* begin = m_data.data();
    const uint8_t* end = begin + m_data.size();
    if (!region.part1 || region.part1 < begin || region.part1 + region.bytes1 > end) return AudioResult::InvalidArgument;
    if (region.bytes2 > 0 && region.part2 != begin) return AudioResult::InvalidArgument;
    m_unlocks.fetch_add(1, std::memory_order_release);
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::SetNotificationPositions(const std::vector<uint32_t>& offsets, Event* event) {
    if (!(m_flags & kBufferControlPositionNotify)) return AudioResult::NotSupported;
    if (!offsets.empty() && !event) return AudioResult::InvalidArgument;
    for (uint32_t offset : offsets)
        if (offset >= GetSize()) return AudioResult::InvalidArgument;
    std::lock_guard lock(m_mutex);
    // What plays the bytes reads the list without a lock: it changes only
    // while stopped.
    if (m_playing.load()) return AudioResult::Failed;
    m_notifyOffsets = offsets;
    m_notifyEvent = offsets.empty() ? nullptr : event;
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::Restore() {
    std::lock_guard lock(m_mutex);
    if (!m_lost) return AudioResult::Ok;
    if (!RestoreLocked()) return AudioResult::BufferLost;
    m_lost = false;
    std::fill(m_data.begin(), m_data.end(), m_format.SilenceByte());  // a restored buffer has lost its contents
    return AudioResult::Ok;
}

AudioResult LoopingAudioBuffer::SetVolume(int32_t hundredthsOfDecibel) {
    if (hundredthsOfDecibel > 0 || hundredthsOfDecibel < -10000) return AudioResult::InvalidArgument;
    m_gain.store(hundredthsOfDecibel == 0 ? 1.0f : std::pow(10.0f, hundredthsOfDecibel / 2000.0f),
                 std::memory_order_relaxed);
    return AudioResult::Ok;
}

Event* LoopingAudioBuffer::MovePlayCursor(uint32_t from, uint64_t bytes) {
    const uint64_t size = GetSize();
    bool passed = false;
    for (uint32_t offset : m_notifyOffsets) {
        uint64_t distance = (offset + size - from) % size;
        if (distance == 0) distance = size;
        if (distance <= bytes) passed = true;
    }
    m_play.store(static_cast<uint32_t>((from + bytes) % size), std::memory_order_release);
    return passed ? m_notifyEvent : nullptr;
}

void LoopingAudioBuffer::CopyLooping(uint32_t offset, uint8_t* out, uint64_t bytes) const {
    const uint64_t size = GetSize();
    uint64_t position = offset;
    while (bytes > 0) {
        uint64_t n = std::min(bytes, size - position);
        std::memcpy(out, m_data.data() + position, n);
        out += n;
        bytes -= n;
        position = (position + n) % size;
    }
}

}  // namespace vantor
