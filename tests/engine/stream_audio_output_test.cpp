#include "engine/stream_audio_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/null_audio_device.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

// Source frame f carries f + 1 as a 32-bit number (low half left, high half
// right): every heard frame names its source frame, and silence (0) is never
// a frame. It renders inside Read, without a producer thread, so that these
// tests see the output alone.
class FrameCountStream : public IDataStream {
public:
    explicit FrameCountStream(uint32_t frames) : IDataStream(4, 4), m_frames(frames) {}
    bool StartStream() override {
        std::lock_guard lock(m_mutex);
        m_streaming = true;
        return true;
    }
    void StopStream() override {
        std::lock_guard lock(m_mutex);
        m_streaming = false;
    }
    bool IsStreaming() {
        std::lock_guard lock(m_mutex);
        return m_streaming;
    }
    uint32_t Read(void* buffer, uint32_t bytes) override {
        std::lock_guard lock(m_mutex);
        if (!m_streaming) return 0;
        uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(bytes / 4, m_frames - std::min(m_next, m_frames)));
        auto* out = static_cast<uint8_t*>(buffer);
        for (uint32_t i = 0; i < frames; ++i) {
            uint32_t value = m_next + i + 1;
            for (int b = 0; b < 4; ++b) out[4 * i + b] = static_cast<uint8_t>(value >> (8 * b));
        }
        m_next += frames;
        return frames * 4;
    }
    void SetPosition(uint32_t position, bool) override {
        std::lock_guard lock(m_mutex);
        m_next = position;
    }
    void SetPriority(int32_t) override {}
    bool IsSuspended() const override { return false; }

protected:
    uint32_t Generate(void*, uint32_t) override { return 0; }  // Read renders; there is no producer

private:
    std::mutex m_mutex;
    uint32_t m_frames;
    uint32_t m_next = 0;
    bool m_streaming = false;
};

constexpr uint32_t kEndless = 0xFFFFFF00u;
constexpr uint32_t kStep = 1280;  // frames between two notifications of the small buffer

using test::WaitUntil;

// Source frame numbers of heard audio; 0 for silence.
std::vector<uint32_t> Frames(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> frames(bytes.size() / 4);
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 | uint32_t(bytes[4 * i + 3]) << 24;
    return frames;
}

// An output on a null device whose clock the test moves: each Step advances
// one notification interval and waits until the output's thread has served
// it (it reads the cursors once per notification, holding the position lock
// that GetPosition then waits for).
struct Rig {
    explicit Rig(uint32_t sourceFrames = kEndless, bool largeBuffer = false)
        : source(sourceFrames),
          output(&source, largeBuffer, [clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); }) {}

    void Open() {
        ASSERT_TRUE(output.Open(nullptr, WaveFormat{}, kCooperativePriority, kBufferGlobalFocus));
        buffer = clock->Buffers().back();
        buffer->RecordHeard(true);
    }
    void Play() {
        uint64_t before = buffer->GetCursorReadCount();
        ASSERT_TRUE(output.Play());
        ASSERT_TRUE(WaitUntil([&] { return buffer->GetCursorReadCount() > before; }));
        output.GetPosition();
    }
    void Step(int count = 1, uint32_t frames = kStep) {
        for (int i = 0; i < count; ++i) {
            uint64_t before = buffer->GetCursorReadCount();
            clock->Advance(frames);
            ASSERT_TRUE(WaitUntil([&] { return buffer->GetCursorReadCount() > before || !output.IsRunning(); }));
            output.GetPosition();
        }
    }
    std::vector<uint32_t> Heard() { return Frames(buffer->TakeHeard()); }

    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    FrameCountStream source;
    CStreamAudioOutput output;
    NullAudioBuffer* buffer = nullptr;
};

// Where a position lands once a loop [start, end) that the play has entered
// is heard round and round.
uint32_t Looped(uint64_t position, uint32_t start, uint32_t end) {
    return static_cast<uint32_t>(position < end ? position : start + (position - start) % (end - start));
}

TEST(StreamAudioOutput, ThreadedEveryNotificationRefillsWhatWasPlayed) {
    for (bool large : {false, true}) {
        Rig rig(kEndless, large);
        ASSERT_NO_FATAL_FAILURE(rig.Open());
        EXPECT_EQ(rig.output.GetBufferBytes(), large ? 176400u : 30720u);
        EXPECT_EQ(rig.output.GetNotificationCount(), large ? 30u : 6u);
        uint32_t step = rig.output.GetBufferBytes() / rig.output.GetNotificationCount() / 4;  // 1280 or 1470 frames
        ASSERT_NO_FATAL_FAILURE(rig.Play());
        EXPECT_FALSE(rig.output.Play());
        EXPECT_FALSE(rig.output.Open(nullptr, WaveFormat{}, kCooperativePriority, 0));
        // Ten turns of the buffer: each fill must have replaced exactly what
        // was played, or stale or missing frames would be heard.
        int steps = 10 * static_cast<int>(rig.output.GetNotificationCount());
        ASSERT_NO_FATAL_FAILURE(rig.Step(steps, step));
        std::vector<uint32_t> heard = rig.Heard();
        ASSERT_EQ(heard.size(), static_cast<size_t>(steps) * step);
        for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], i + 1) << "heard frame " << i;
        EXPECT_EQ(rig.output.GetPosition(), steps * step);
        rig.output.Stop();
        EXPECT_FALSE(rig.output.IsRunning());
        EXPECT_FALSE(rig.source.IsStreaming()) << "stopping the output stops its source";
    }
}

TEST(StreamAudioOutput, ThreadedLoopWrapsWhenHeard) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    rig.output.SetLoop(44100, 88200);
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    // Three times round the loop; the loop end is written about a buffer
    // before it is heard, and the position must wrap only when it is heard.
    for (int i = 1; i <= 172; ++i) {
        ASSERT_NO_FATAL_FAILURE(rig.Step());
        ASSERT_EQ(rig.output.GetPosition(), Looped(uint64_t(i) * kStep, 44100, 88200)) << "after step " << i;
    }
    std::vector<uint32_t> heard = rig.Heard();
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], Looped(i, 44100, 88200) + 1) << "heard frame " << i;
}

TEST(StreamAudioOutput, ThreadedLoopShorterThanAFillIsRepeatedWithinIt) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    rig.output.SetLoop(1000, 1100);
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    ASSERT_NO_FATAL_FAILURE(rig.Step(12));
    std::vector<uint32_t> heard = rig.Heard();
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], Looped(i, 1000, 1100) + 1) << "heard frame " << i;
    EXPECT_EQ(rig.output.GetPosition(), Looped(12 * kStep, 1000, 1100));
}

TEST(StreamAudioOutput, ThreadedRepositionDropsTheLoopsInFlight) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    rig.output.SetLoop(44100, 88200);
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    // The loop end has been written, not yet heard.
    ASSERT_NO_FATAL_FAILURE(rig.Step(66));
    ASSERT_LT(rig.output.GetPosition(), 88200u);
    rig.output.SetLoop(0, 0);
    rig.output.SetPosition(200000);
    ASSERT_NO_FATAL_FAILURE(rig.Step(10));
    EXPECT_EQ(rig.output.GetPosition(), 200000u + 10 * kStep);
}

TEST(StreamAudioOutput, ThreadedEndPositionStopsTwoBufferLengthsLaterAndTellsTheWindow) {
    Rig rig;
    MessageQueue window;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    const uint32_t end = 10 * 44100;
    rig.output.SetEndPosition(end);
    rig.output.SetNotifyWindow(&window);
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    int steps = 0;
    while (rig.output.GetPosition() < end) {
        ASSERT_NO_FATAL_FAILURE(rig.Step());
        ASSERT_LT(++steps, 400);
    }
    EXPECT_EQ(steps, 345);  // 345 x 1280 is the first multiple past 441000
    // Twelve notifications (two buffers of six) after the end is heard.
    ASSERT_NO_FATAL_FAILURE(rig.Step(11));
    EXPECT_TRUE(rig.output.IsRunning());
    EXPECT_EQ(window.Size(), 0u);
    ASSERT_NO_FATAL_FAILURE(rig.Step());
    ASSERT_TRUE(WaitUntil([&] { return !rig.output.IsRunning(); }));
    auto message = window.Take();
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->message, 1125u);
    EXPECT_EQ(message->wparam, reinterpret_cast<uintptr_t>(&rig.output));

    // Everything up to the end was heard in order, and nothing after it.
    std::vector<uint32_t> heard = rig.Heard();
    ASSERT_GE(heard.size(), end);
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], i < end ? i + 1 : 0) << "heard frame " << i;
}

TEST(StreamAudioOutput, ThreadedPauseKeepsThePositionAndResumeStartsAtTheWriteCursor) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    ASSERT_NO_FATAL_FAILURE(rig.Step(10));
    rig.output.Pause();
    uint32_t paused = rig.output.GetPosition();
    EXPECT_EQ(paused, 10 * kStep);
    ASSERT_NO_FATAL_FAILURE(rig.Step(20));  // what was queued plays out, then silence
    EXPECT_EQ(rig.output.GetPosition(), paused);
    std::vector<uint32_t> before = rig.Heard();
    ASSERT_EQ(before.back(), 0u) << "the pause is heard";

    rig.output.Resume();
    ASSERT_NO_FATAL_FAILURE(rig.Step());
    EXPECT_EQ(rig.output.GetPosition(), paused) << "the silence before the resume is not counted";
    rig.Heard();
    ASSERT_NO_FATAL_FAILURE(rig.Step(6));
    EXPECT_EQ(rig.output.GetPosition(), paused + 6 * kStep);
    std::vector<uint32_t> after = rig.Heard();
    // Only the 10 ms the device had committed to stays silent; the silence
    // queued further ahead is overwritten.
    size_t silent = std::find_if(after.begin(), after.end(), [](uint32_t f) { return f != 0; }) - after.begin();
    EXPECT_EQ(silent, rig.buffer->GetWriteLead() / 4);
    // Nothing is lost or repeated: the audio goes on where it paused.
    std::vector<uint32_t> sound;
    for (const auto* part : {&before, &after})
        for (uint32_t f : *part)
            if (f != 0) sound.push_back(f);
    for (uint32_t i = 0; i < sound.size(); ++i) ASSERT_EQ(sound[i], i + 1) << "sounding frame " << i;
}

TEST(StreamAudioOutput, ThreadedAuditionEndsWhenTheSourceRunsOut) {
    Rig rig(10000);
    MessageQueue window;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    rig.output.SetNotifyWindow(&window);
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    ASSERT_NO_FATAL_FAILURE(rig.Step(40));
    ASSERT_TRUE(WaitUntil([&] { return !rig.output.IsRunning(); }));
    ASSERT_TRUE(window.Take().has_value());
    std::vector<uint32_t> heard = rig.Heard();
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], i < 10000 ? i + 1 : 0) << "heard frame " << i;
}

TEST(StreamAudioOutput, ThreadedWithoutAWindowAnEndedSourcePlaysSilenceUntilStopped) {
    Rig rig(3000);
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    ASSERT_NO_FATAL_FAILURE(rig.Step(30));
    EXPECT_TRUE(rig.output.IsRunning());
    std::vector<uint32_t> heard = rig.Heard();
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], i < 3000 ? i + 1 : 0) << "heard frame " << i;
    rig.output.Stop();
    EXPECT_FALSE(rig.output.IsRunning());
}

TEST(StreamAudioOutput, ThreadedLostBufferIsRestoredAndPlayingGoesOn) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    ASSERT_NO_FATAL_FAILURE(rig.Step(3));
    rig.buffer->MarkLost();
    rig.buffer->SetRestoreFails(true);
    ASSERT_NO_FATAL_FAILURE(rig.Step(3));
    EXPECT_EQ(rig.output.GetPosition(), 6 * kStep);
    rig.buffer->SetRestoreFails(false);
    ASSERT_NO_FATAL_FAILURE(rig.Step(12));
    EXPECT_TRUE(rig.output.IsRunning());
    EXPECT_EQ(rig.output.GetPosition(), 18 * kStep);
    // What the lost buffer held is gone, but nothing stale or repeated is
    // heard, and sound comes back.
    std::vector<uint32_t> heard = rig.Heard();
    uint32_t last = 0;
    for (uint32_t f : heard) {
        if (f == 0) continue;
        ASSERT_GT(f, last);
        last = f;
    }
    EXPECT_NE(heard.back(), 0u);
}

TEST(StreamAudioOutput, ThreadedPlayAfterStopStartsAtTheNewPosition) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Open());
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    ASSERT_NO_FATAL_FAILURE(rig.Step(7));  // the play cursor is off 0 now
    rig.output.Stop();
    rig.output.SetPosition(100000);
    rig.Heard();
    ASSERT_NO_FATAL_FAILURE(rig.Play());
    EXPECT_EQ(rig.output.GetPosition(), 100000u);
    ASSERT_NO_FATAL_FAILURE(rig.Step(2));
    EXPECT_EQ(rig.output.GetPosition(), 100000u + 2 * kStep);
    std::vector<uint32_t> heard = rig.Heard();
    ASSERT_EQ(heard.size(), 2 * kStep);
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], 100000 + i + 1) << "heard frame " << i;
}

TEST(StreamAudioOutput, OpenAndPlayRefuseWhatCannotPlay) {
    auto clock = std::make_shared<ManualAudioClock>();
    FrameCountStream source(kEndless);
    CStreamAudioOutput output(&source, false, [clock](const DeviceId* id) -> std::unique_ptr<IAudioDevice> {
        if (id && !IsDefaultDevice(*id)) return nullptr;  // an output that is not there
        return std::make_unique<NullAudioDevice>(clock);
    });
    EXPECT_FALSE(output.Play()) << "not opened";
    DeviceId absent{};
    absent[0] = 7;
    EXPECT_FALSE(output.Open(&absent, WaveFormat{}, kCooperativePriority, 0));
    WaveFormat broken;
    broken.blockAlign = 0;
    EXPECT_FALSE(output.Open(nullptr, broken, kCooperativePriority, 0));
    EXPECT_TRUE(clock->Buffers().empty());
    EXPECT_FALSE(output.Play());

    CStreamAudioOutput sourceless(nullptr, false, [clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); });
    EXPECT_TRUE(sourceless.Open(nullptr, WaveFormat{}, kCooperativePriority, 0));
    EXPECT_FALSE(sourceless.Play());
}

}  // namespace
}  // namespace vantor
