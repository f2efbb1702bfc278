#pragma once

#include <cstdint>
#include <memory>

#include "platform/audio_device.h"

namespace vantor {

// What every backend's device does the same way: nothing here shares the
// device with other programs the way the cooperative levels arbitrate, so
// every level is accepted; there is no primary format to set, only one to
// check; buffers are made for usable requests only.
class LoopingAudioDevice : public IAudioDevice {
public:
    AudioResult SetCooperativeLevel(int32_t level) override;
    AudioResult SetPrimaryFormat(const WaveFormat& format) override;
    std::unique_ptr<IAudioBuffer> CreateBuffer(uint32_t bytes, const WaveFormat& format, uint32_t flags) final;

protected:
    // Called with a usable request only; null when the device refuses.
    virtual std::unique_ptr<IAudioBuffer> CreateUsableBuffer(uint32_t bytes, const WaveFormat& format,
                                                             uint32_t flags) = 0;
};

}  // namespace vantor
