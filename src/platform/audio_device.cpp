#include "platform/audio_device.h"

#include <cstring>

#include "platform/null_audio_device.h"
#include "platform/portaudio_audio_device.h"

namespace vantor {

DeviceId DeviceIdFromName(const std::string& name) {
    // Two 64-bit FNV-1a hashes with different starting values.
    auto fnv = [&name](uint64_t hash) {
        for (unsigned char c : name) {
            hash ^= c;
            hash *= 0x100000001b3ull;
        }
        return hash;
    };
    uint64_t halves[2] = {fnv(0xcbf29ce484222325ull), fnv(0x84222325cbf29ce4ull)};
    DeviceId id{};
    for (int i = 0; i < 16; ++i) id[i] = static_cast<uint8_t>(halves[i / 8] >> (8 * (i % 8)));
    if (IsDefaultDevice(id)) id[0] = 1;
    return id;
}

const DeviceId& NullDeviceId() {
    static const DeviceId id = DeviceIdFromName("null");
    return id;
}

std::vector<AudioDeviceInfo> EnumerateAudioDevices() {
    std::vector<AudioDeviceInfo> devices;
    devices.push_back({DeviceId{}, "Default output device", ""});
    for (auto& device : PortAudioAudioDevice::Enumerate()) devices.push_back(std::move(device));
    devices.push_back({NullDeviceId(), "No sound (output timed by the system clock)", "null"});
    return devices;
}

std::unique_ptr<IAudioDevice> OpenAudioDevice(const DeviceId* id) {
    bool isDefault = !id || IsDefaultDevice(*id);
    if (!isDefault && *id == NullDeviceId()) return std::make_unique<NullAudioDevice>(std::make_shared<RealAudioClock>());
    if (auto device = PortAudioAudioDevice::Open(id)) return device;
    if (isDefault) return std::make_unique<NullAudioDevice>(std::make_shared<RealAudioClock>());
    return nullptr;
}

AudioResult LockAudioBuffer(IAudioBuffer& buffer, uint32_t offset, uint32_t bytes, AudioRegion* region) {
    AudioResult result = buffer.Lock(offset, bytes, region);
    if (result != AudioResult::BufferLost) return result;
    result = buffer.Restore();
    return result == AudioResult::Ok ? buffer.Lock(offset, bytes, region) : result;
}

AudioResult SetEvenNotificationPositions(IAudioBuffer& buffer, uint32_t count, Event* event) {
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < count; ++i) offsets.push_back(i * (buffer.GetSize() / count));
    return buffer.SetNotificationPositions(offsets, event);
}

bool ClearAudioBuffer(IAudioBuffer& buffer) {
    AudioRegion region;
    if (LockAudioBuffer(buffer, 0, buffer.GetSize(), &region) != AudioResult::Ok) return false;
    const uint8_t silence = buffer.GetFormat().SilenceByte();
    std::memset(region.part1, silence, region.bytes1);
    if (region.part2) std::memset(region.part2, silence, region.bytes2);
    buffer.Unlock(region);
    return true;
}

}  // namespace vantor
