#include "platform/portaudio_audio_device.h"

#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>

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

class PortAudioBuffer : public IAudioBuffer {
public:
    PortAudioBuffer(std::shared_ptr<PortAudioSession> session, uint32_t bytes, const WaveFormat& format,
                    uint32_t flags)
        : m_session(std::move(session)), m_format(format), m_flags(flags), m_data(bytes, SilenceByte()) {}

    ~PortAudioBuffer() override {
        if (m_stream) {
            Pa_StopStream(m_stream);
            Pa_CloseStream(m_stream);
        }
    }

    bool OpenStream(int deviceIndex) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(deviceIndex);
        if (!info) return false;
        PaStreamParameters output{};
        output.device = deviceIndex;
        output.channelCount = m_format.channels;
        output.sampleFormat = m_format.bitsPerSample == 8 ? paUInt8 : paInt16;
        output.suggestedLatency = info->defaultLowOutputLatency;
        // Callbacks of a fixed 5 ms, so a write cursor 10 ms ahead always
        // lies past the bytes one callback copies.
        m_callbackFrames = std::max<uint32_t>(1, m_format.samplesPerSec / 200);
        uint32_t lead = (2 * m_callbackFrames * m_format.blockAlign + 3) & ~3u;
        m_writeLead = std::min(lead, (GetSize() / 2) & ~3u);
        if (m_callbackFrames * m_format.blockAlign > m_writeLead) return false;  // buffer too small to stream
        return Pa_OpenStream(&m_stream, nullptr, &output, m_format.samplesPerSec, m_callbackFrames, paNoFlag,
                             &PortAudioBuffer::Callback, this) == paNoError;
    }

    uint32_t GetSize() const override { return static_cast<uint32_t>(m_data.size()); }
    const WaveFormat& GetFormat() const override { return m_format; }

    AudioResult PlayLooping() override {
        std::lock_guard lock(m_mutex);
        if (m_playing.load()) return AudioResult::Ok;
        m_playing.store(true);
        if (Pa_StartStream(m_stream) != paNoError) {
            m_playing.store(false);
            return AudioResult::Failed;
        }
        return AudioResult::Ok;
    }

    AudioResult Stop() override {
        std::lock_guard lock(m_mutex);
        if (!m_playing.load()) return AudioResult::Ok;
        Pa_StopStream(m_stream);  // returns after the last callback
        m_playing.store(false);
        return AudioResult::Ok;
    }

    bool IsPlaying() const override { return m_playing.load(); }

    AudioResult SetCurrentPosition(uint32_t offset) override {
        if (offset >= GetSize()) return AudioResult::InvalidArgument;
        m_play.store(offset - offset % m_format.blockAlign);
        return AudioResult::Ok;
    }

    AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) const override {
        uint32_t position = m_play.load();
        if (play) *play = position;
        if (write) *write = m_playing.load() ? (position + m_writeLead) % GetSize() : position;
        return AudioResult::Ok;
    }

    AudioResult Lock(uint32_t offset, uint32_t bytes, AudioRegion* region) override {
        if (!region || offset >= GetSize() || bytes == 0 || bytes > GetSize()) return AudioResult::InvalidArgument;
        uint32_t first = std::min(bytes, GetSize() - offset);
        region->part1 = m_data.data() + offset;
        region->bytes1 = first;
        region->part2 = first < bytes ? m_data.data() : nullptr;
        region->bytes2 = bytes - first;
        return AudioResult::Ok;
    }

    AudioResult Unlock(const AudioRegion& region) override {
        const uint8_t* begin = m_data.data();
        if (!region.part1 || region.part1 < begin || region.part1 + region.bytes1 > begin + GetSize())
            return AudioResult::InvalidArgument;
        return AudioResult::Ok;
    }

    AudioResult SetNotificationPositions(const std::vector<uint32_t>& offsets, Event* event) override {
        if (!(m_flags & kBufferControlPositionNotify)) return AudioResult::NotSupported;
        if (!offsets.empty() && !event) return AudioResult::InvalidArgument;
        for (uint32_t offset : offsets)
            if (offset >= GetSize()) return AudioResult::InvalidArgument;
        std::lock_guard lock(m_mutex);
        // The callback reads these without a lock: they change only while
        // the stream is stopped.
        if (m_playing.load()) return AudioResult::Failed;
        m_notifyOffsets = offsets;
        m_notifyEvent = offsets.empty() ? nullptr : event;
        return AudioResult::Ok;
    }

    // PortAudio never takes a buffer's memory away.
    AudioResult Restore() override { return AudioResult::Ok; }

    AudioResult SetVolume(int32_t hundredthsOfDecibel) override {
        if (hundredthsOfDecibel > 0 || hundredthsOfDecibel < -10000) return AudioResult::InvalidArgument;
        m_gain.store(hundredthsOfDecibel == 0 ? 1.0f : std::pow(10.0f, hundredthsOfDecibel / 2000.0f));
        return AudioResult::Ok;
    }

private:
    uint8_t SilenceByte() const { return m_format.bitsPerSample == 8 ? 0x80 : 0; }

    static int Callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags, void* user) {
        static_cast<PortAudioBuffer*>(user)->Render(static_cast<uint8_t*>(output), frames);
        return paContinue;
    }

    void Render(uint8_t* out, unsigned long frames) {
        const uint32_t size = GetSize();
        const uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(frames * m_format.blockAlign, size));
        uint32_t play = m_play.load();
        uint32_t first = std::min(bytes, size - play);
        std::memcpy(out, m_data.data() + play, first);
        std::memcpy(out + first, m_data.data(), bytes - first);
        ApplyGain(out, bytes);
        bool passed = false;
        for (uint32_t offset : m_notifyOffsets) {
            uint32_t distance = (offset + size - play) % size;
            if (distance == 0) distance = size;
            if (distance <= bytes) passed = true;
        }
        m_play.store((play + bytes) % size);
        if (passed && m_notifyEvent) m_notifyEvent->Set();
    }

    void ApplyGain(uint8_t* out, uint32_t bytes) const {
        float gain = m_gain.load();
        if (gain >= 1.0f) return;
        if (m_format.bitsPerSample == 8) {
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
    const WaveFormat m_format;
    const uint32_t m_flags;
    std::vector<uint8_t> m_data;
    PaStream* m_stream = nullptr;
    uint32_t m_callbackFrames = 0;
    uint32_t m_writeLead = 0;
    std::mutex m_mutex;  // start, stop and the notification list
    std::atomic<bool> m_playing{false};
    std::atomic<uint32_t> m_play{0};
    std::atomic<float> m_gain{1.0f};
    std::vector<uint32_t> m_notifyOffsets;
    Event* m_notifyEvent = nullptr;
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

AudioResult PortAudioAudioDevice::SetCooperativeLevel(int32_t) { return AudioResult::Ok; }

// PortAudio converts from each stream's own format; there is no primary
// format to set, only one to check.
AudioResult PortAudioAudioDevice::SetPrimaryFormat(const WaveFormat& format) {
    return format.IsPlayable() ? AudioResult::Ok : AudioResult::InvalidArgument;
}

std::unique_ptr<IAudioBuffer> PortAudioAudioDevice::CreateBuffer(uint32_t bytes, const WaveFormat& format,
                                                                 uint32_t flags) {
    if (!IsUsableBufferRequest(bytes, format)) return nullptr;
    auto buffer = std::make_unique<PortAudioBuffer>(m_session, bytes, format, flags);
    if (!buffer->OpenStream(m_deviceIndex)) return nullptr;
    return buffer;
}

}  // namespace vantor
