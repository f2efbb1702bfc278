#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/looping_audio_device.h"

namespace vantor {

class PortAudioSession;

// A sound card output through PortAudio. Its buffers are looping memory that
// the PortAudio callback copies out of, advancing the play cursor and
// signalling the notifications it passes.
class PortAudioAudioDevice : public LoopingAudioDevice {
public:
    // The outputs of the machine's sound cards; empty when it has none, in
    // which case PortAudio is not even started (it would only probe and
    // complain on every call).
    static std::vector<AudioDeviceInfo> Enumerate();
    // The output named by id, or the default output for null or all zero;
    // null when there is no such output.
    static std::unique_ptr<PortAudioAudioDevice> Open(const DeviceId* id);

    ~PortAudioAudioDevice() override;

protected:
    std::unique_ptr<IAudioBuffer> CreateUsableBuffer(uint32_t bytes, const WaveFormat& format,
                                                     uint32_t flags) override;

private:
    PortAudioAudioDevice(std::shared_ptr<PortAudioSession> session, int deviceIndex);

    std::shared_ptr<PortAudioSession> m_session;
    int m_deviceIndex;
};

}  // namespace vantor
