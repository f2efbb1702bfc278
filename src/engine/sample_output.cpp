#include "engine/sample_output.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vantor {

CSampleOutput::CSampleOutput(AudioDeviceOpener opener)
    : m_opener(std::move(opener)),
      m_hub(std::make_shared<EventHub>()),
      m_notify(Event::Reset::Auto, m_hub),
      m_stop(Event::Reset::Auto, m_hub) {}

CSampleOutput::~CSampleOutput() {
    Join(-1);
    Release();
}

void CSampleOutput::Release() {
    m_buffer.reset();
    m_device.reset();
    m_sample.reset();
}

Status CSampleOutput::Load(const std::string& fileName, const DeviceId* device, int32_t cooperativeLevel,
                           uint32_t bufferFlags) {
    const Refusal silent{"", "", MessageIcon::None};
    if (IsRunning()) return silent;
    Release();
    auto sample = std::make_unique<CWaveFile>(fileName, 100);
    const WaveFormat* wave = sample->GetFormat();
    if (!wave || !m_opener) return silent;
    // Nothing may sound before the first trigger.
    sample->Seek(sample->GetLength());
    WaveFormat format = *wave;
    format.extra.clear();  // a buffer plays samples, not a file's extra bytes
    // Files often state this wrongly; it follows from the others.
    format.avgBytesPerSec = wave->samplesPerSec * wave->blockAlign;

    m_device = m_opener(device);
    if (!m_device) return silent;
    AudioResult result = m_device->SetCooperativeLevel(cooperativeLevel);
    if (result != AudioResult::Ok) {
        Release();
        return Refusal{std::to_string(static_cast<uint32_t>(result)), "A", MessageIcon::None};
    }
    if (m_device->SetPrimaryFormat(format) == AudioResult::Ok)
        m_buffer = m_device->CreateBuffer(kBufferBytes, format, bufferFlags | kBufferStreamingFlags);
    if (!m_buffer) {
        Release();
        return silent;
    }
    m_format = format;
    m_sample = std::move(sample);
    return Status::Success();
}

bool CSampleOutput::Arm() {
    if (!m_buffer || IsRunning()) return false;
    ClearAudioBuffer(*m_buffer);
    if (SetEvenNotificationPositions(*m_buffer, kNotificationCount, &m_notify) != AudioResult::Ok) return false;
    {
        std::lock_guard lock(m_positionLock);
        m_writeOffset = 0;
    }
    m_stop.Reset();
    m_notify.Set();
    return Start();
}

void CSampleOutput::Trigger() {
    std::lock_guard lock(m_bufferLock);
    if (!m_sample) return;
    m_sample->Seek(0);
    std::lock_guard positionLock(m_positionLock);
    m_tailCount = kTailNotifications;
    m_playing.store(true, std::memory_order_release);
    // Fill now rather than at the next notification: the sample starts up
    // to a quarter buffer sooner.
    m_notify.Set();
}

bool CSampleOutput::IsPlaying() const {
    std::lock_guard lock(m_positionLock);
    return m_playing.load(std::memory_order_relaxed);
}

void CSampleOutput::SetVolume(float value) {
    if (std::isnan(value)) return;
    value = std::clamp(value, 0.0f, kMaxVolume);
    m_volume.store(static_cast<int32_t>(value * 8192), std::memory_order_relaxed);
}

void CSampleOutput::OnStopRequest() { m_stop.Set(); }

int32_t CSampleOutput::Run() {
    bool started;
    {
        std::lock_guard lock(m_bufferLock);
        m_buffer->SetVolume(0);
        started = m_buffer->PlayLooping() == AudioResult::Ok;
    }
    while (started && !IsStopRequested()) {
        if (Event::WaitAny({&m_notify, &m_stop}) == 1) break;
        if (!m_playing.load(std::memory_order_acquire)) continue;
        std::lock_guard bufferLock(m_bufferLock);
        std::lock_guard positionLock(m_positionLock);
        uint32_t play = 0;
        if (m_buffer->GetCurrentPosition(&play, nullptr) != AudioResult::Ok) continue;
        uint32_t free = ((play + kBufferBytes - m_writeOffset - 1) % kBufferBytes) & ~3u;
        if (free > 0) FillLocked(free);
        // The buffer loops on silence until the next trigger.
        if (!m_playing.load(std::memory_order_relaxed)) ClearAudioBuffer(*m_buffer);
    }
    {
        std::lock_guard lock(m_bufferLock);
        m_buffer->Stop();
    }
    m_stop.Reset();
    std::lock_guard lock(m_positionLock);
    m_playing.store(false, std::memory_order_release);
    return 0;
}

void CSampleOutput::FillLocked(uint32_t bytes) {
    AudioRegion region;
    if (LockAudioBuffer(*m_buffer, m_writeOffset, bytes, &region) != AudioResult::Ok) return;
    uint32_t delivered = ReadScaledLocked(region.part1, region.bytes1);
    if (region.part2) delivered += ReadScaledLocked(region.part2, region.bytes2);
    m_buffer->Unlock(region);
    if (delivered == 0) {
        --m_tailCount;
        m_playing.store(m_tailCount > 0, std::memory_order_release);
    }
    m_writeOffset = (m_writeOffset + bytes) % kBufferBytes;
}

uint32_t CSampleOutput::ReadScaledLocked(uint8_t* part, uint32_t bytes) {
    const uint32_t align = m_format.blockAlign;
    uint32_t delivered = m_sample->ReadFrames(part, bytes / align) * align;
    const int32_t volume = GetVolume();
    // (x * volume) >> 13, saturated; 8-bit samples are offset by 128.
    if (m_format.bitsPerSample == 16) {
        for (uint32_t i = 0; i + 1 < delivered; i += 2) {
            int32_t x = static_cast<int16_t>(part[i] | part[i + 1] << 8);
            auto y = static_cast<int16_t>(std::clamp((x * volume) >> 13, -32768, 32767));
            part[i] = static_cast<uint8_t>(y);
            part[i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(y) >> 8);
        }
    } else {
        for (uint32_t i = 0; i < delivered; ++i)
            part[i] = static_cast<uint8_t>(128 + std::clamp(((part[i] - 128) * volume) >> 13, -128, 127));
    }
    std::memset(part + delivered, m_format.SilenceByte(), bytes - delivered);
    return delivered;
}

}  // namespace vantor
