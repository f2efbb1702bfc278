#include "platform/looping_audio_device.h"

namespace vantor {

namespace {

// A buffer every backend can make: a playable format and a size of whole
// frames within the limit.
bool IsUsableBufferRequest(uint32_t bytes, const WaveFormat& format) {
    return format.IsPlayable() && bytes >= 4 && bytes <= kMaxAudioBufferBytes && bytes % format.blockAlign == 0;
}

}  // namespace

AudioResult LoopingAudioDevice::SetCooperativeLevel(int32_t) { return AudioResult::Ok; }

AudioResult LoopingAudioDevice::SetPrimaryFormat(const WaveFormat& format) {
    return format.IsPlayable() ? AudioResult::Ok : AudioResult::InvalidArgument;
}

std::unique_ptr<IAudioBuffer> LoopingAudioDevice::CreateBuffer(uint32_t bytes, const WaveFormat& format,
                                                              uint32_t flags) {
    if (!IsUsableBufferRequest(bytes, format)) return nullptr;
    return CreateUsableBuffer(bytes, format, flags);
}

}  // namespace vantor
