#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/device_id.h"
#include "platform/event.h"
#include "platform/wave_format.h"

namespace vantor {

// Results of the audio device layer; zero is success. The numbers are what a
// caller shows when it must tell the user why a device refused.
enum class AudioResult : uint32_t {
    Ok = 0,
    Failed = 1,
    InvalidArgument = 2,
    BufferLost = 3,
    NotSupported = 4,
};

// Buffer creation flags, numbered as the engine's callers pass them.
constexpr uint32_t kBufferLocSoftware = 0x8;
constexpr uint32_t kBufferControlVolume = 0x80;
constexpr uint32_t kBufferControlPositionNotify = 0x100;
constexpr uint32_t kBufferGlobalFocus = 0x8000;
constexpr uint32_t kBufferGetCurrentPosition2 = 0x10000;
// The flags the outputs add to their callers' for every streaming buffer.
constexpr uint32_t kBufferStreamingFlags = kBufferGetCurrentPosition2 | kBufferControlPositionNotify | kBufferLocSoftware;

// Cooperative levels; the outputs ask for priority.
constexpr int32_t kCooperativeNormal = 1;
constexpr int32_t kCooperativePriority = 2;

// Largest buffer a device creates; the engine uses at most one second.
constexpr uint32_t kMaxAudioBufferBytes = 16u << 20;

// A locked region of a looping buffer: it wraps past the end into a second
// part at the start of the buffer when needed.
struct AudioRegion {
    uint8_t* part1 = nullptr;
    uint32_t bytes1 = 0;
    uint8_t* part2 = nullptr;
    uint32_t bytes2 = 0;
};

// A looping secondary buffer: the device plays it from the play cursor, round
// and round; the caller writes only outside [play cursor, write cursor), the
// bytes the device has already committed to.
class IAudioBuffer {
public:
    virtual ~IAudioBuffer() = default;

    virtual uint32_t GetSize() const = 0;
    virtual const WaveFormat& GetFormat() const = 0;

    virtual AudioResult PlayLooping() = 0;
    virtual AudioResult Stop() = 0;
    virtual bool IsPlaying() const = 0;
    // Moves the play cursor (bytes, rounded down to a whole frame).
    virtual AudioResult SetCurrentPosition(uint32_t offset) = 0;
    virtual AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) const = 0;
    // Locks bytes from offset, in two parts when the region wraps. A lost
    // buffer answers BufferLost until it is restored.
    virtual AudioResult Lock(uint32_t offset, uint32_t bytes, AudioRegion* region) = 0;
    virtual AudioResult Unlock(const AudioRegion& region) = 0;
    // The event is set whenever the play cursor passes one of the offsets.
    // Needs kBufferControlPositionNotify and a stopped buffer; an empty list
    // removes the notifications.
    virtual AudioResult SetNotificationPositions(const std::vector<uint32_t>& offsets, Event* event) = 0;
    // Brings a lost buffer back; its contents must then be written again.
    virtual AudioResult Restore() = 0;
    // Attenuation in hundredths of a decibel: 0 is full volume, -10000 silence.
    virtual AudioResult SetVolume(int32_t hundredthsOfDecibel) = 0;
};

// One output device.
class IAudioDevice {
public:
    virtual ~IAudioDevice() = default;

    // Nothing here shares the device with other programs the way the
    // cooperative levels arbitrate, so every level is accepted; the result is
    // a number so that a refusal can be shown.
    virtual AudioResult SetCooperativeLevel(int32_t level) = 0;
    virtual AudioResult SetPrimaryFormat(const WaveFormat& format) = 0;
    // Null when the size or format is unusable or the device refuses.
    virtual std::unique_ptr<IAudioBuffer> CreateBuffer(uint32_t bytes, const WaveFormat& format,
                                                       uint32_t flags) = 0;
};

struct AudioDeviceInfo {
    DeviceId id{};
    std::string description;
    std::string module;
};

// A stable identifier made from a device's name (never all zero).
DeviceId DeviceIdFromName(const std::string& name);

// The identifier that always names the null (silent, clock-driven) device.
const DeviceId& NullDeviceId();

// The default device first (all-zero identifier), then the sound cards'
// outputs, then the null device.
std::vector<AudioDeviceInfo> EnumerateAudioDevices();

// Opens a device by identifier; null or all zero is the default device, which
// is the null device when the machine has no sound card. An identifier that
// names no present device gives null.
std::unique_ptr<IAudioDevice> OpenAudioDevice(const DeviceId* id);

// How the outputs open their devices; tests pass one that builds null
// devices on a manual clock.
using AudioDeviceOpener = std::function<std::unique_ptr<IAudioDevice>(const DeviceId* id)>;

// Locks a region, restoring the buffer once when it was lost.
AudioResult LockAudioBuffer(IAudioBuffer& buffer, uint32_t offset, uint32_t bytes, AudioRegion* region);

// Writes silence over a whole buffer.
bool ClearAudioBuffer(IAudioBuffer& buffer);

// Notifications at count evenly spaced offsets from 0, as the outputs refill
// their buffers in equal parts.
AudioResult SetEvenNotificationPositions(IAudioBuffer& buffer, uint32_t count, Event* event);

}  // namespace vantor
