// Sample trigger latency: from a controller message (through the MIDI table
// and the trigger bindings) or a sound server trigger message to the
// sample's first frame entering its output buffer, on the null device.
// 1000 triggers per path; median and 99th percentile.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "config/configuration.h"
#include "control/midi_bindings.h"
#include "control/midi_input.h"
#include "control/sample_bank.h"
#include "engine/wave_writer.h"
#include "platform/null_audio_device.h"
#include "server/server_dlg.h"

namespace {

using namespace vantor;
using Clock = std::chrono::steady_clock;

constexpr int kTriggers = 1000;

// Watches the bytes written into a buffer: the first non-zero byte after
// Expect is the sample's first frame arriving.
class Watch {
public:
    void Expect() {
        std::lock_guard lock(m_lock);
        m_waiting = true;
        m_arrived.reset();
        m_since = Clock::now();
    }
    void Written(const AudioRegion& region) {
        std::lock_guard lock(m_lock);
        if (!m_waiting || !(NonZero(region.part1, region.bytes1) || NonZero(region.part2, region.bytes2))) return;
        m_arrived = Clock::now();
        m_waiting = false;
        m_changed.notify_all();
    }
    // Microseconds from Expect to the arrival; negative when none came.
    double Wait() {
        std::unique_lock lock(m_lock);
        if (!m_changed.wait_for(lock, std::chrono::seconds(2), [&] { return m_arrived.has_value(); })) return -1.0;
        return std::chrono::duration<double, std::micro>(*m_arrived - m_since).count();
    }

private:
    static bool NonZero(const uint8_t* bytes, uint32_t count) {
        return bytes && std::any_of(bytes, bytes + count, [](uint8_t b) { return b != 0; });
    }
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_waiting = false;
    Clock::time_point m_since;
    std::optional<Clock::time_point> m_arrived;
};

class WatchedBuffer : public IAudioBuffer {
public:
    WatchedBuffer(std::unique_ptr<IAudioBuffer> inner, Watch& watch) : m_inner(std::move(inner)), m_watch(watch) {}
    uint32_t GetSize() const override { return m_inner->GetSize(); }
    const WaveFormat& GetFormat() const override { return m_inner->GetFormat(); }
    AudioResult PlayLooping() override { return m_inner->PlayLooping(); }
    AudioResult Stop() override { return m_inner->Stop(); }
    bool IsPlaying() const override { return m_inner->IsPlaying(); }
    AudioResult SetCurrentPosition(uint32_t offset) override { return m_inner->SetCurrentPosition(offset); }
    AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) const override {
        return m_inner->GetCurrentPosition(play, write);
    }
    AudioResult Lock(uint32_t offset, uint32_t bytes, AudioRegion* region) override {
        return m_inner->Lock(offset, bytes, region);
    }
    AudioResult Unlock(const AudioRegion& region) override {
        m_watch.Written(region);
        return m_inner->Unlock(region);
    }
    AudioResult SetNotificationPositions(const std::vector<uint32_t>& offsets, Event* event) override {
        return m_inner->SetNotificationPositions(offsets, event);
    }
    AudioResult Restore() override { return m_inner->Restore(); }
    AudioResult SetVolume(int32_t hundredths) override { return m_inner->SetVolume(hundredths); }

private:
    std::unique_ptr<IAudioBuffer> m_inner;
    Watch& m_watch;
};

class WatchedDevice : public IAudioDevice {
public:
    WatchedDevice(std::unique_ptr<IAudioDevice> inner, Watch& watch) : m_inner(std::move(inner)), m_watch(watch) {}
    AudioResult SetCooperativeLevel(int32_t level) override { return m_inner->SetCooperativeLevel(level); }
    AudioResult SetPrimaryFormat(const WaveFormat& format) override { return m_inner->SetPrimaryFormat(format); }
    std::unique_ptr<IAudioBuffer> CreateBuffer(uint32_t bytes, const WaveFormat& format, uint32_t flags) override {
        auto buffer = m_inner->CreateBuffer(bytes, format, flags);
        return buffer ? std::make_unique<WatchedBuffer>(std::move(buffer), m_watch) : nullptr;
    }

private:
    std::unique_ptr<IAudioDevice> m_inner;
    Watch& m_watch;
};

struct Figures {
    double median = 0.0;
    double p99 = 0.0;
    double best = 0.0;
    int missed = 0;
};

Figures Measure(Watch& watch, const std::function<void()>& trigger) {
    std::mt19937 random(7);
    // Gaps longer than the device clock's tick and the pad's notification
    // period, so that triggers fall at every phase of them, as a player's do.
    std::uniform_int_distribution<int> gap(1000, 25000);
    std::vector<double> latencies;
    Figures figures;
    for (int i = 0; i < kTriggers; ++i) {
        watch.Expect();
        trigger();
        const double us = watch.Wait();
        if (us < 0) ++figures.missed;
        else latencies.push_back(us);
        std::this_thread::sleep_for(std::chrono::microseconds(gap(random)));
    }
    if (latencies.empty()) return figures;
    std::sort(latencies.begin(), latencies.end());
    figures.best = latencies.front();
    figures.median = latencies[latencies.size() / 2];
    figures.p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    return figures;
}

void Print(const char* path, const Figures& figures) {
    std::printf("%s_trigger_latency_best: %.0f us\n", path, figures.best);
    std::printf("%s_trigger_latency_median: %.0f us\n", path, figures.median);
    std::printf("%s_trigger_latency_p99: %.0f us\n", path, figures.p99);
    if (figures.missed) std::printf("%s_triggers_missed: %d count\n", path, figures.missed);
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vantor_trigger_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    // One loud first frame, then silence: every trigger writes exactly one
    // non-zero frame, at its start.
    const std::string wave = (dir / "click.wav").string();
    std::vector<int16_t> pcm(2 * 441, 0);
    pcm[0] = pcm[1] = 12000;
    WaveWriter writer;
    if (!writer.Open(wave, WaveFormat{}) || !writer.Write(pcm.data(), pcm.size() * 2) || !writer.Finish(441)) {
        std::fprintf(stderr, "trigger_bench: cannot write %s\n", wave.c_str());
        return 1;
    }

    Watch watch;
    auto clock = std::make_shared<RealAudioClock>();
    AudioDeviceOpener opener = [clock, &watch](const DeviceId*) {
        return std::make_unique<WatchedDevice>(std::make_unique<NullAudioDevice>(clock), watch);
    };
    CSampleBank bank(std::nullopt, opener);
    if (!bank.LoadSlot(0, "Click", wave)) {
        std::fprintf(stderr, "trigger_bench: the sample does not load\n");
        return 1;
    }

    CMIDIInput input;
    CMIDIBindings bindings(bank);
    bindings.SetInput(&input);
    bindings.Triggers().Add(0, 64, CSampleTriggerMap::kTriggerValue, 1);
    const uint8_t message[] = {0xB0, 64, 127};
    Print("midi", Measure(watch, [&] { input.HandleMessage(message, sizeof message); }));

    CConfiguration config;
    config.SetDefaults();
    CServerDlg server(config, nullptr, nullptr, opener);
    server.SetSampleBank(&bank);
    Print("server", Measure(watch, [&] { server.TriggerSample(0); }));
    server.SetSampleBank(nullptr);

    bindings.SetInput(nullptr);
    fs::remove_all(dir);
    return 0;
}
