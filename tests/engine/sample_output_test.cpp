#include "engine/sample_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/audio_fixtures.h"
#include "engine/wave_writer.h"
#include "platform/null_audio_device.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

constexpr uint32_t kStep = 640;  // frames between two notifications of a pad's buffer

using test::WaitUntil;

std::string WriteSample(const test::TempDir& dir, const std::vector<int16_t>& samples) {
    std::string path = dir / "pad.wav";
    WaveWriter writer;
    EXPECT_TRUE(writer.Open(path, WaveFormat{}));
    EXPECT_TRUE(writer.Write(samples.data(), samples.size() * 2));
    EXPECT_TRUE(writer.Finish(static_cast<uint32_t>(samples.size() / 2)));
    return path;
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

// A pad on a null device whose clock the test moves. While the pad plays,
// each Step waits until its thread has served the notification (it reads
// the cursors once per fill, holding the lock that IsPlaying waits for).
struct Pad {
    Pad() : output([clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); }) {}

    void LoadAndArm(const std::string& path) {
        ASSERT_TRUE(output.Load(path, nullptr, kCooperativePriority, kBufferGlobalFocus));
        buffer = clock->Buffers().back();
        buffer->RecordHeard(true);
        ASSERT_TRUE(output.Arm());
    }
    void Trigger() {
        uint64_t before = buffer->GetCursorReadCount();
        output.Trigger();
        ASSERT_TRUE(WaitUntil([&] { return buffer->GetCursorReadCount() > before; }));
        output.IsPlaying();
    }
    void Step(int count = 1) {
        for (int i = 0; i < count; ++i) {
            bool playing = output.IsPlaying();
            uint64_t before = buffer->GetCursorReadCount();
            clock->Advance(kStep);
            if (playing) {
                ASSERT_TRUE(WaitUntil([&] { return buffer->GetCursorReadCount() > before; }));
                output.IsPlaying();
            }
        }
    }
    std::vector<int16_t> Heard() { return Samples(buffer->TakeHeard()); }

    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    CSampleOutput output;
    NullAudioBuffer* buffer = nullptr;
};

// The heard samples from the first that is not silent, as many as expected.
std::vector<int16_t> SoundFrom(const std::vector<int16_t>& heard, size_t count) {
    auto first = std::find_if(heard.begin(), heard.end(), [](int16_t s) { return s != 0; });
    size_t start = static_cast<size_t>(first - heard.begin());
    return std::vector<int16_t>(first, first + static_cast<long>(std::min(count, heard.size() - start)));
}

TEST(SampleOutput, ThreadedTriggerPlaysTheSampleOnceThenFallsSilent) {
    test::TempDir dir;
    std::vector<int16_t> sample;
    for (int i = 0; i < 3000; ++i) {
        sample.push_back(static_cast<int16_t>(100 + i));
        sample.push_back(static_cast<int16_t>(-100 - i));
    }
    Pad pad;
    ASSERT_NO_FATAL_FAILURE(pad.LoadAndArm(WriteSample(dir, sample)));
    pad.output.SetVolume(0.5f);
    ASSERT_NO_FATAL_FAILURE(pad.Step(8));
    for (int16_t s : pad.Heard()) ASSERT_EQ(s, 0) << "nothing sounds before a trigger";

    ASSERT_NO_FATAL_FAILURE(pad.Trigger());
    int steps = 0;
    while (pad.output.IsPlaying()) {
        ASSERT_NO_FATAL_FAILURE(pad.Step());
        ASSERT_LT(++steps, 40);
    }
    ASSERT_NO_FATAL_FAILURE(pad.Step(8));
    std::vector<int16_t> heard = pad.Heard();
    std::vector<int16_t> expected;
    for (int16_t s : sample) expected.push_back(static_cast<int16_t>(s >> 1));  // (x * 4096) >> 13
    std::vector<int16_t> sound = SoundFrom(heard, heard.size());
    ASSERT_GE(sound.size(), expected.size());
    for (size_t i = 0; i < sound.size(); ++i)
        ASSERT_EQ(sound[i], i < expected.size() ? expected[i] : 0) << "sample " << i;

    // Triggered again while it plays, it starts over from its beginning.
    ASSERT_NO_FATAL_FAILURE(pad.Trigger());
    ASSERT_NO_FATAL_FAILURE(pad.Step(3));
    ASSERT_NO_FATAL_FAILURE(pad.Trigger());
    ASSERT_NO_FATAL_FAILURE(pad.Step(14));
    heard = pad.Heard();
    sound = SoundFrom(heard, heard.size());
    size_t restart = 2;
    while (restart < sound.size() &&
           !std::equal(expected.begin(), expected.end(), sound.begin() + static_cast<long>(restart)))
        restart += 2;
    ASSERT_LT(restart, sound.size()) << "the sample never started over";
    for (size_t i = 0; i < restart; ++i) ASSERT_EQ(sound[i], expected[i]) << "before the restart, sample " << i;
    pad.output.Join(-1);
    EXPECT_FALSE(pad.output.IsPlaying());
}

TEST(SampleOutput, ThreadedVolumeIsLimitedBelowFourAndSaturates) {
    test::TempDir dir;
    std::vector<int16_t> sample = {1000, -1000, 10000, -10000, 32767, -32768, 3, -3};
    Pad pad;
    ASSERT_NO_FATAL_FAILURE(pad.LoadAndArm(WriteSample(dir, sample)));
    pad.output.SetVolume(5.0f);
    EXPECT_EQ(pad.output.GetVolume(), 32766);  // trunc(3.9997559 x 8192)
    pad.output.SetVolume(std::nanf(""));
    EXPECT_EQ(pad.output.GetVolume(), 32766);
    ASSERT_NO_FATAL_FAILURE(pad.Trigger());
    ASSERT_NO_FATAL_FAILURE(pad.Step(12));
    std::vector<int16_t> heard = pad.Heard();
    // x * 32766 >> 13, rounding toward minus infinity, then held in 16 bits.
    std::vector<int16_t> expected = {3999, -4000, 32767, -32768, 32767, -32768, 11, -12};
    EXPECT_EQ(SoundFrom(heard, expected.size()), expected);

    pad.output.SetVolume(-2.0f);
    EXPECT_EQ(pad.output.GetVolume(), 0);
    pad.output.SetVolume(1.0f);
    EXPECT_EQ(pad.output.GetVolume(), 8192);
}

TEST(SampleOutput, LoadRefusesWhatCannotPlayAndTellsWhyTheDeviceRefused) {
    test::TempDir dir;
    std::string path = WriteSample(dir, {1, 2, 3, 4});
    Pad pad;
    EXPECT_FALSE(pad.output.Arm()) << "nothing loaded";
    Status missing = pad.output.Load(dir / "missing.wav", nullptr, kCooperativePriority, 0);
    ASSERT_FALSE(missing.Ok());
    EXPECT_EQ(missing.Error().text, "") << "a missing file is no news to the user";
    EXPECT_EQ(pad.output.GetFileName(), "");
    test::WriteBytes(dir / "garbage.wav", {'R', 'I', 'F', 'F', 1, 2, 3});
    EXPECT_FALSE(pad.output.Load(dir / "garbage.wav", nullptr, kCooperativePriority, 0));

    ASSERT_TRUE(pad.output.Load(path, nullptr, kCooperativePriority, 0));
    EXPECT_EQ(pad.output.GetFileName(), path);
    ASSERT_TRUE(pad.output.Arm());
    EXPECT_FALSE(pad.output.Arm());
    EXPECT_FALSE(pad.output.Load(path, nullptr, kCooperativePriority, 0)) << "armed";
    pad.output.Join(-1);
    EXPECT_TRUE(pad.output.Load(path, nullptr, kCooperativePriority, 0));

    pad.output.SetName(std::string(300, 'n'));
    EXPECT_EQ(pad.output.GetName().size(), CSampleOutput::kNameCapacity);

    // A device that refuses the cooperative level: its code, for a plain box.
    class Refusing : public NullAudioDevice {
    public:
        using NullAudioDevice::NullAudioDevice;
        AudioResult SetCooperativeLevel(int32_t) override { return AudioResult::NotSupported; }
    };
    auto clock = std::make_shared<ManualAudioClock>();
    CSampleOutput refused([clock](const DeviceId*) { return std::make_unique<Refusing>(clock); });
    Status load = refused.Load(path, nullptr, kCooperativePriority, 0);
    ASSERT_FALSE(load.Ok());
    EXPECT_EQ(load.Error().text, "4");
    EXPECT_EQ(load.Error().caption, "A");
    EXPECT_EQ(load.Error().icon, MessageIcon::None);
    EXPECT_EQ(refused.GetFileName(), "");
}

}  // namespace
}  // namespace vantor
