#include "platform/looping_audio_buffer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/looping_audio_device.h"

namespace vantor {
namespace {

// A backend whose player the test controls: it counts starts and stops,
// can refuse to start, and plays bytes when told to.
class ScriptedBuffer : public LoopingAudioBuffer {
public:
    ScriptedBuffer(uint32_t bytes, const WaveFormat& format) : LoopingAudioBuffer(bytes, format, kBufferStreamingFlags) {
        SetWriteLead(6);
    }
    // Plays bytes as a backend would: copies them out and moves the cursor.
    std::vector<uint8_t> Play(uint32_t bytes) {
        std::vector<uint8_t> out(bytes);
        uint32_t from = GetPlayCursor();
        CopyLooping(from, out.data(), bytes);
        if (Event* passed = MovePlayCursor(from, bytes)) passed->Set();
        return out;
    }
    float Gain() const { return GetGain(); }

    bool refuseStart = false;
    int starts = 0;
    int stops = 0;

protected:
    bool StartLocked() override {
        ++starts;
        return !refuseStart;
    }
    void StopLocked() override { ++stops; }
};

TEST(LoopingAudioBufferTest, StartAndStopReachTheBackendOnlyOnAChangeAndARefusedStartLeavesItStopped) {
    ScriptedBuffer buffer(16, WaveFormat{});
    EXPECT_EQ(buffer.Stop(), AudioResult::Ok);
    EXPECT_EQ(buffer.stops, 0);
    buffer.refuseStart = true;
    EXPECT_EQ(buffer.PlayLooping(), AudioResult::Failed);
    EXPECT_FALSE(buffer.IsPlaying());
    buffer.refuseStart = false;
    EXPECT_EQ(buffer.PlayLooping(), AudioResult::Ok);
    EXPECT_EQ(buffer.PlayLooping(), AudioResult::Ok);
    EXPECT_EQ(buffer.starts, 2);
    EXPECT_TRUE(buffer.IsPlaying());
    EXPECT_EQ(buffer.Stop(), AudioResult::Ok);
    EXPECT_EQ(buffer.Stop(), AudioResult::Ok);
    EXPECT_EQ(buffer.stops, 1);
    EXPECT_FALSE(buffer.IsPlaying());
}

TEST(LoopingAudioBufferTest, PlayedBytesWrapAndTheWriteLeadIsWholeStepsWithinHalfTheBuffer) {
    ScriptedBuffer buffer(16, WaveFormat{});
    EXPECT_EQ(buffer.GetWriteLead(), 8u) << "6 rounded up to 4-byte steps";
    AudioRegion region;
    ASSERT_EQ(buffer.Lock(12, 8, &region), AudioResult::Ok);
    for (uint32_t i = 0; i < region.bytes1; ++i) region.part1[i] = static_cast<uint8_t>(1 + i);
    for (uint32_t i = 0; i < region.bytes2; ++i) region.part2[i] = static_cast<uint8_t>(5 + i);
    ASSERT_EQ(buffer.Unlock(region), AudioResult::Ok);
    ASSERT_EQ(buffer.SetCurrentPosition(14), AudioResult::Ok);  // rounded down to a whole frame
    std::vector<uint8_t> heard = buffer.Play(22);                // more than a whole turn
    EXPECT_EQ(heard, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6}));
    uint32_t play = 0;
    ASSERT_EQ(buffer.GetCurrentPosition(&play, nullptr), AudioResult::Ok);
    EXPECT_EQ(play, 2u);

    ScriptedBuffer tiny(8, WaveFormat{});
    EXPECT_EQ(tiny.GetWriteLead(), 4u) << "never more than half the buffer";
}

TEST(LoopingAudioBufferTest, VolumeBecomesALinearGainAndEightBitSilenceIsCentred) {
    ScriptedBuffer buffer(16, WaveFormat{});
    EXPECT_EQ(buffer.Gain(), 1.0f);
    ASSERT_EQ(buffer.SetVolume(-2000), AudioResult::Ok);  // -20 dB
    EXPECT_NEAR(buffer.Gain(), 0.1f, 1e-6);
    EXPECT_EQ(buffer.SetVolume(1), AudioResult::InvalidArgument);
    EXPECT_EQ(buffer.SetVolume(-10001), AudioResult::InvalidArgument);
    EXPECT_NEAR(buffer.Gain(), 0.1f, 1e-6) << "a refused volume changes nothing";

    WaveFormat eightBit;
    eightBit.bitsPerSample = 8;
    eightBit.blockAlign = 2;
    eightBit.avgBytesPerSec = 88200;
    ScriptedBuffer centred(16, eightBit);
    EXPECT_EQ(centred.Play(16), std::vector<uint8_t>(16, 0x80));
}

// A device that records what reached it.
class CountingDevice : public LoopingAudioDevice {
public:
    int made = 0;

protected:
    std::unique_ptr<IAudioBuffer> CreateUsableBuffer(uint32_t bytes, const WaveFormat& format, uint32_t) override {
        ++made;
        return std::make_unique<ScriptedBuffer>(bytes, format);
    }
};

TEST(LoopingAudioDeviceTest, OnlyUsableRequestsReachTheBackend) {
    CountingDevice device;
    EXPECT_EQ(device.SetCooperativeLevel(kCooperativePriority), AudioResult::Ok);
    EXPECT_EQ(device.SetPrimaryFormat(WaveFormat{}), AudioResult::Ok);
    WaveFormat mp3;
    mp3.formatTag = WaveFormat::kTagMpegLayer3;
    EXPECT_EQ(device.SetPrimaryFormat(mp3), AudioResult::InvalidArgument);
    EXPECT_FALSE(device.CreateBuffer(1024, mp3, 0));
    EXPECT_FALSE(device.CreateBuffer(1022, WaveFormat{}, 0)) << "not whole frames";
    EXPECT_FALSE(device.CreateBuffer(0, WaveFormat{}, 0));
    EXPECT_FALSE(device.CreateBuffer(kMaxAudioBufferBytes + 4, WaveFormat{}, 0));
    EXPECT_EQ(device.made, 0);
    EXPECT_TRUE(device.CreateBuffer(1024, WaveFormat{}, 0));
    EXPECT_EQ(device.made, 1);
}

}  // namespace
}  // namespace vantor
