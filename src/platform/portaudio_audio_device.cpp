#include "platform/portaudio_audio_device.h"

#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <string>

#include "platform/looping_audio_buffer.h"

namespace vantor {

// PortAudio started for as long as a device, a buffer or an enumeration needs
// it. Pa_Initialize counts its own calls but is not thread-safe, hence the lock.
class PortAudioSession {
public:
    static std::shared_ptr<PortAudioSession> Acquire() {
        if (!HasPlaybackHardware()) return nullptr;
        std::lock_guard lock(Mutex());
        if (QuietlyInitialize() != paNoError) return nullptr;
        return std::shared_ptr<PortAudioSession>(new PortAudioSession);
    }
    ~PortAudioSession() {
        std::lock_guard lock(Mutex());
        Pa_Terminate();
    }

private:
    PortAudioSession() = default;

    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }

    // ALSA names its playback devices pcmC<card>D<device>p; without one there
    // is no sound card to play on.
    static bool HasPlaybackHardware() {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/snd", ec)) {
            std::string name = entry.path().filename().string();
            if (name.rfind("pcmC", 0) == 0 && name.back() == 'p') return true;
        }
        return false;
    }

    // Probing every host API prints pages of diagnostics for configurations
    // that do not exist (surround layouts, a JACK server that is not running);
    // they say nothing about the devices found, so they go to /dev/null.
    static PaError QuietlyInitialize() {
        std::fflush(stderr);
        int saved = ::dup(STDERR_FILENO);
        int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        PaError result = Pa_Initialize();
        if (saved >= 0 && null >= 0) ::dup2(saved, STDERR_FILENO);
        if (null >= 0) ::close(null);
        if (saved >= 0) ::close(saved);
        return result;
    }
};

namespace {

std::string HostApiName(const PaDeviceInfo& info) {
    const PaHostApiInfo* api = Pa_GetHostApiInfo(info.hostApi);
    return api && api->name ? api->name : "";
}

// The same output has the same identifier in every run: its host API and
// name hashed.
DeviceId OutputId(const PaDeviceInfo& info) { return DeviceIdFromName(HostApiName(info) + ":" + info.name); }

class PortAudioBuffer : public LoopingAudioBuffer {
public:
    PortAudioBuffer(std::shared_ptr<PortAudioSession> session, uint32_t bytes, const WaveFormat& format,
                    uint32_t flags)
        : LoopingAudioBuffer(bytes, format, flags), m_session(std::move(session)) {}

    ~PortAudioBuffer() override {
        if (m_stream) {
            Pa_StopStream(m_stream);
            Pa_CloseStream(m_stream);
        }
    }

    bool OpenStream(int deviceIndex) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(deviceIndex);
        if (!info) return false;
        const WaveFormat& format = GetFormat();
        PaStreamParameters output{};
        output.device = deviceIndex;
        output.channelCount = format.channels;
        output.sampleFormat = format.bitsPerSample == 8 ? paUInt8 : paInt16;
        output.suggestedLatency = info->defaultLowOutputLatency;
        // Callbacks of a fixed 5 ms, so a write cursor 10 ms ahead always
        // lies past the bytes one callback copies.
        m_callbackFrames = std::max<uint32_t>(1, format.samplesPerSec / 200);
        SetWriteLead(2 * m_callbackFrames * format.blockAlign);
        if (m_callbackFrames * format.blockAlign > GetWriteLead()) return false;  // buffer too small to stream
        return Pa_OpenStream(&m_stream, nullptr, &output, format.samplesPerSec, m_callbackFrames, paNoFlag,
                             &PortAudioBuffer::Callback, this) == paNoError;
    }

protected:
    bool StartLocked() override { return Pa_StartStream(m_stream) == paNoError; }
    void StopLocked() override { Pa_StopStream(m_stream); }  // returns after the last callback

private:
    static int Callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags, void* user) {
        static_cast<PortAudioBuffer*>(user)->Render(static_cast<uint8_t*>(output), frames);
        return paContinue;
    }

    // Runs on PortAudio's thread without a lock: the cursor is atomic, and the
    // notification list changes only while the stream is stopped.
    void Render(uint8_t* out, unsigned long frames) {
        const uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(frames * GetFormat().blockAlign, GetSize()));
        const uint32_t play = GetPlayCursor();
        CopyLooping(play, out, bytes);
        ApplyGain(out, bytes);
        if (Event* passed = MovePlayCursor(play, bytes)) passed->Set();
    }

    void ApplyGain(uint8_t* out, uint32_t bytes) const {
        float gain = GetGain();
        if (gain >= 1.0f) return;
        if (GetFormat().bitsPerSample == 8) {
            for (uint32_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(128 + std::lround((out[i] - 128) * gain));
            return;
        }
        for (uint32_t i = 0; i + 1 < bytes; i += 2) {
            auto sample = static_cast<int16_t>(out[i] | out[i + 1] << 8);
            auto scaled = static_cast<int16_t>(std::lround(sample * gain));
            out[i] = static_cast<uint8_t>(scaled);
            out[i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(scaled) >> 8);
        }
    }

    std::shared_ptr<PortAudioSession> m_session;
    PaStream* m_stream = nullptr;
    uint32_t m_callbackFrames = 0;
};

}  // namespace

std::vector<AudioDeviceInfo> PortAudioAudioDevice::Enumerate() {
    std::vector<AudioDeviceInfo> devices;
    auto session = PortAudioSession::Acquire();
    if (!session) return devices;
    int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (!info || info->maxOutputChannels <= 0 || !info->name) continue;
        devices.push_back({OutputId(*info), info->name, HostApiName(*info)});
    }
    return devices;
}

std::unique_ptr<PortAudioAudioDevice> PortAudioAudioDevice::Open(const DeviceId* id) {
    auto session = PortAudioSession::Acquire();
    if (!session) return nullptr;
    int found = paNoDevice;
    if (!id || IsDefaultDevice(*id)) {
        found = Pa_GetDefaultOutputDevice();
    } else {
        int count = Pa_GetDeviceCount();
        for (int i = 0; i < count && found == paNoDevice; ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (info && info->maxOutputChannels > 0 && info->name && OutputId(*info) == *id) found = i;
        }
    }
    if (found == paNoDevice) return nullptr;
    return std::unique_ptr<PortAudioAudioDevice>(new PortAudioAudioDevice(std::move(session), found));
}

PortAudioAudioDevice::PortAudioAudioDevice(std::shared_ptr<PortAudioSession> session, int deviceIndex)
    : m_session(std::move(session)), m_deviceIndex(deviceIndex) {}

PortAudioAudioDevice::~PortAudioAudioDevice() = default;

// PortAudio converts from each stream's own format, so the primary format is
// only checked, as the base does.
std::unique_ptr<IAudioBuffer> PortAudioAudioDevice::CreateUsableBuffer(uint32_t bytes, const WaveFormat& format,
                                                                       uint32_t flags) {
    auto buffer = std::make_unique<PortAudioBuffer>(m_session, bytes, format, flags);
    if (!buffer->OpenStream(m_deviceIndex)) return nullptr;
    return buffer;
}

}  // namespace vantor
