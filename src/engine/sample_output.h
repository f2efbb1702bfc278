#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/thread.h"
#include "engine/wave_file.h"
#include "platform/audio_device.h"
#include "platform/event.h"
#include "platform/result.h"

namespace vantor {

// One sample pad: a short wave file played from a small looping buffer each
// time it is triggered. Armed, its thread keeps the buffer looping on
// silence, so a trigger sounds within one buffer length.
class CSampleOutput : public CThread {
public:
    static constexpr uint32_t kBufferBytes = 10240;  // 58 ms of standard audio
    static constexpr uint32_t kNotificationCount = 4;
    // Empty notifications after the sample's end before the pad falls
    // silent: one buffer length, so the sample's last bytes are heard.
    static constexpr int32_t kTailNotifications = 4;
    static constexpr float kMaxVolume = 3.9997559f;
    static constexpr size_t kNameCapacity = 255;

    explicit CSampleOutput(AudioDeviceOpener opener = OpenAudioDevice);
    ~CSampleOutput() override;

    // Fails while armed, or when the file, the device or the buffer cannot be
    // had; nothing is loaded then. A device refusing the cooperative level
    // gives its result code in decimal under the caption "A" without an icon;
    // the other failures are silent refusals (no text).
    Status Load(const std::string& fileName, const DeviceId* device, int32_t cooperativeLevel, uint32_t bufferFlags);
    // Starts the thread on a silent buffer; false when nothing is loaded or
    // already armed.
    bool Arm();
    // Plays the sample from its beginning, also when it is playing; the
    // thread fills at once.
    void Trigger();
    // Limited to 0 .. just under 4; not a number is ignored.
    void SetVolume(float value);
    // Q13 fixed point: 8192 is 1.0.
    int32_t GetVolume() const { return m_volume.load(std::memory_order_relaxed); }
    // Waits for a notification being served.
    bool IsPlaying() const;

    void SetName(const std::string& name) { m_name = name.substr(0, kNameCapacity); }
    const std::string& GetName() const { return m_name; }
    // Empty when nothing is loaded.
    std::string GetFileName() const { return m_sample ? m_sample->GetFileName() : std::string(); }

protected:
    int32_t Run() override;
    void OnStopRequest() override;

private:
    // Callers hold both locks.
    void FillLocked(uint32_t bytes);
    // Reads the sample into part with the volume applied and silence after
    // its end; the bytes the sample delivered.
    uint32_t ReadScaledLocked(uint8_t* part, uint32_t bytes);
    void Release();

    AudioDeviceOpener m_opener;

    std::shared_ptr<EventHub> m_hub;
    Event m_notify;  // auto-reset
    Event m_stop;    // auto-reset

    std::unique_ptr<IAudioDevice> m_device;
    std::unique_ptr<IAudioBuffer> m_buffer;
    WaveFormat m_format;
    std::unique_ptr<CWaveFile> m_sample;

    std::mutex m_bufferLock;    // the buffer and the sample's read position
    mutable std::mutex m_positionLock;  // the write offset, the tail and playing; taken after the buffer lock
    uint32_t m_writeOffset = 0;
    int32_t m_tailCount = 0;
    std::atomic<bool> m_playing{false};  // also read without the lock, to skip notifications while silent
    std::atomic<int32_t> m_volume{8192};
    std::string m_name;
};

}  // namespace vantor
