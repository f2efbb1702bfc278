#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <set>

#include "platform/audio_device.h"
#include "platform/null_audio_device.h"

namespace vantor {
namespace {

constexpr uint32_t kSize = 30720;
constexpr uint32_t kInterval = 5120;

std::vector<uint32_t> SixNotifications() {
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < 6; ++i) offsets.push_back(i * kInterval);
    return offsets;
}

struct ManualBuffer {
    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    NullAudioDevice device{clock};
    std::unique_ptr<IAudioBuffer> buffer = device.CreateBuffer(kSize, WaveFormat{}, kBufferStreamingFlags);
    NullAudioBuffer& null() { return static_cast<NullAudioBuffer&>(*buffer); }
    uint32_t Play() {
        uint32_t play = 0;
        buffer->GetCurrentPosition(&play, nullptr);
        return play;
    }
};

TEST(NullAudioDevice, ManualClockSignalsEachNotificationItPassesAndWraps) {
    ManualBuffer b;
    Event notify(Event::Reset::Auto);
    ASSERT_EQ(b.buffer->SetNotificationPositions(SixNotifications(), &notify), AudioResult::Ok);
    b.clock->Advance(1280);
    EXPECT_FALSE(notify.IsSet()) << "a stopped buffer does not move";
    EXPECT_EQ(b.Play(), 0u);

    ASSERT_EQ(b.buffer->PlayLooping(), AudioResult::Ok);
    b.clock->Advance(640);
    EXPECT_FALSE(notify.IsSet());
    b.clock->Advance(640);  // lands exactly on 5120
    EXPECT_TRUE(notify.Wait(std::chrono::milliseconds(0)));
    EXPECT_EQ(b.Play(), kInterval);
    b.clock->Advance(1);  // leaving an offset does not pass it again
    EXPECT_FALSE(notify.IsSet());

    // Round the end of the buffer and onto offset 0.
    b.clock->Advance((kSize - kInterval - 4) / 4);
    EXPECT_TRUE(notify.Wait(std::chrono::milliseconds(0)));
    EXPECT_EQ(b.Play(), 0u);
}

TEST(NullAudioDevice, WriteCursorLeadsOnlyWhilePlaying) {
    ManualBuffer b;
    ASSERT_EQ(b.buffer->SetCurrentPosition(30000 + 3), AudioResult::Ok);  // rounded down to a frame
    uint32_t play = 0, write = 0;
    b.buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 30000u);
    EXPECT_EQ(write, 30000u);
    b.buffer->PlayLooping();
    b.buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(b.null().GetWriteLead(), 1764u);  // 441 frames, 10 ms
    EXPECT_EQ(write, (30000u + 1764u) % kSize) << "the lead wraps with the buffer";
    EXPECT_EQ(b.buffer->SetCurrentPosition(kSize), AudioResult::InvalidArgument);
}

TEST(NullAudioDevice, LocksWrapIntoTwoPartsAndRecordWhatIsHeard) {
    ManualBuffer b;
    b.null().RecordHeard(true);
    AudioRegion region;
    ASSERT_EQ(b.buffer->Lock(30000, 2000, &region), AudioResult::Ok);
    EXPECT_EQ(region.bytes1, 720u);
    EXPECT_EQ(region.bytes2, 1280u);
    ASSERT_NE(region.part2, nullptr);
    for (uint32_t i = 0; i < region.bytes1; ++i) region.part1[i] = static_cast<uint8_t>(i);
    for (uint32_t i = 0; i < region.bytes2; ++i) region.part2[i] = static_cast<uint8_t>(region.bytes1 + i);
    ASSERT_EQ(b.buffer->Unlock(region), AudioResult::Ok);

    b.buffer->SetCurrentPosition(30000);
    b.buffer->PlayLooping();
    b.clock->Advance(500);
    std::vector<uint8_t> heard = b.null().TakeHeard();
    ASSERT_EQ(heard.size(), 2000u);
    for (uint32_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], static_cast<uint8_t>(i)) << "byte " << i;
    EXPECT_TRUE(b.null().TakeHeard().empty());

    AudioRegion whole;
    ASSERT_EQ(b.buffer->Lock(0, kSize, &whole), AudioResult::Ok);
    EXPECT_EQ(whole.bytes1, kSize);
    EXPECT_EQ(whole.part2, nullptr);
    EXPECT_EQ(b.buffer->Lock(0, 0, &region), AudioResult::InvalidArgument);
    EXPECT_EQ(b.buffer->Lock(kSize, 4, &region), AudioResult::InvalidArgument);
    EXPECT_EQ(b.buffer->Lock(0, kSize + 4, &region), AudioResult::InvalidArgument);
    AudioRegion foreign{reinterpret_cast<uint8_t*>(&region), 4, nullptr, 0};
    EXPECT_EQ(b.buffer->Unlock(foreign), AudioResult::InvalidArgument);
}

TEST(NullAudioDevice, LostBufferRefusesLocksUntilRestoredAndComesBackSilent) {
    ManualBuffer b;
    AudioRegion region;
    ASSERT_EQ(b.buffer->Lock(0, 8, &region), AudioResult::Ok);
    std::fill(region.part1, region.part1 + 8, 0x55);
    b.buffer->Unlock(region);

    b.null().MarkLost();
    EXPECT_EQ(b.buffer->Lock(0, 8, &region), AudioResult::BufferLost);
    b.null().SetRestoreFails(true);
    EXPECT_EQ(b.buffer->Restore(), AudioResult::BufferLost);
    EXPECT_EQ(b.buffer->Lock(0, 8, &region), AudioResult::BufferLost);
    b.null().SetRestoreFails(false);
    EXPECT_EQ(b.buffer->Restore(), AudioResult::Ok);
    ASSERT_EQ(b.buffer->Lock(0, 8, &region), AudioResult::Ok);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(region.part1[i], 0) << "a restored buffer has lost its contents";
    b.buffer->Unlock(region);
}

TEST(NullAudioDevice, RefusesUnplayableFormatsSizesAndMisplacedNotifications) {
    auto clock = std::make_shared<ManualAudioClock>();
    NullAudioDevice device(clock);
    EXPECT_EQ(device.SetCooperativeLevel(kCooperativePriority), AudioResult::Ok);
    WaveFormat format;
    EXPECT_EQ(device.SetPrimaryFormat(format), AudioResult::Ok);

    WaveFormat zeroAlign = format;
    zeroAlign.blockAlign = 0;
    WaveFormat wide = format;
    wide.bitsPerSample = 24;
    wide.blockAlign = 6;
    wide.avgBytesPerSec = 44100 * 6;
    WaveFormat compressed = format;
    compressed.formatTag = 85;
    for (const WaveFormat& bad : {zeroAlign, wide, compressed}) {
        EXPECT_NE(device.SetPrimaryFormat(bad), AudioResult::Ok);
        EXPECT_EQ(device.CreateBuffer(kSize, bad, 0), nullptr);
    }
    EXPECT_EQ(device.CreateBuffer(0, format, 0), nullptr);
    EXPECT_EQ(device.CreateBuffer(30722, format, 0), nullptr) << "not a whole number of frames";
    EXPECT_EQ(device.CreateBuffer(kMaxAudioBufferBytes + 4, format, 0), nullptr);

    Event notify(Event::Reset::Auto);
    auto plain = device.CreateBuffer(kSize, format, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->SetNotificationPositions({0}, &notify), AudioResult::NotSupported);
    auto notifying = device.CreateBuffer(kSize, format, kBufferStreamingFlags);
    EXPECT_EQ(notifying->SetNotificationPositions({kSize}, &notify), AudioResult::InvalidArgument);
    EXPECT_EQ(notifying->SetNotificationPositions({0}, nullptr), AudioResult::InvalidArgument);
    notifying->PlayLooping();
    EXPECT_EQ(notifying->SetNotificationPositions({0}, &notify), AudioResult::Failed);
    EXPECT_EQ(notifying->SetVolume(1), AudioResult::InvalidArgument);
    EXPECT_EQ(notifying->SetVolume(-10001), AudioResult::InvalidArgument);
}

TEST(AudioDevices, EnumerationListsDefaultFirstAndNullLastWithStableDistinctIds) {
    std::vector<AudioDeviceInfo> devices = EnumerateAudioDevices();
    ASSERT_GE(devices.size(), 2u);
    EXPECT_TRUE(IsDefaultDevice(devices.front().id));
    EXPECT_EQ(devices.back().id, NullDeviceId());
    EXPECT_EQ(devices.back().module, "null");
    std::set<DeviceId> ids;
    for (const auto& device : devices) ids.insert(device.id);
    EXPECT_EQ(ids.size(), devices.size());

    EXPECT_EQ(DeviceIdFromName("ALSA:hw:0,0"), DeviceIdFromName("ALSA:hw:0,0"));
    EXPECT_NE(DeviceIdFromName("ALSA:hw:0,0"), DeviceIdFromName("ALSA:hw:0,1"));
    EXPECT_FALSE(IsDefaultDevice(DeviceIdFromName("")));

    EXPECT_NE(OpenAudioDevice(nullptr), nullptr) << "the default device always opens, if only as the null one";
    EXPECT_NE(OpenAudioDevice(&NullDeviceId()), nullptr);
    DeviceId absent = DeviceIdFromName("no such output");
    EXPECT_EQ(OpenAudioDevice(&absent), nullptr);
}

TEST(NullAudioDevice, ThreadedRealClockMovesThePlayCursorAndNotifies) {
    Event notify(Event::Reset::Auto);  // outlives the buffer that signals it
    auto device = OpenAudioDevice(&NullDeviceId());
    ASSERT_NE(device, nullptr);
    auto buffer = device->CreateBuffer(kSize, WaveFormat{}, kBufferStreamingFlags);
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(buffer->SetNotificationPositions(SixNotifications(), &notify), AudioResult::Ok);
    ASSERT_EQ(buffer->PlayLooping(), AudioResult::Ok);
    // 29 ms of audio per notification; a slow machine gets ten seconds.
    EXPECT_TRUE(notify.Wait(std::chrono::seconds(10)));
    uint32_t play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    EXPECT_GT(play, 0u);
    buffer->Stop();
}

}  // namespace
}  // namespace vantor
