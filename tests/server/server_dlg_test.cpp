#include "server/server_dlg.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/set_file.h"
#include "model/set_history.h"
#include "platform/audio_device.h"
#include "server/server_message.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

std::vector<uint8_t> StartPayload(const CMusicSet& set, const DeviceId& device = NullDeviceId()) {
    std::vector<uint8_t> payload(device.begin(), device.end());
    auto record = SerializeToBytes(set);
    payload.insert(payload.end(), record.begin(), record.end());
    return payload;
}

RefPtr<CMusicSet> TwoTrackSet() {
    NewSetOptions options;
    options.audioTracks = 2;
    auto set = CMusicSet::CreateNew(options);
    set->SetName("Live one");
    return set;
}

class ServerDlgTest : public ::testing::Test {
protected:
    CConfiguration config;
    std::vector<std::string> statuses;
    CServerDlg dialog{config, nullptr, nullptr};

    void SetUp() override {
        config.SetDefaults();
        dialog.SetStatusListener([this](const std::string& s) { statuses.push_back(s); });
    }
};

TEST_F(ServerDlgTest, StartsPlaysAndStopsWithTheStatusLine) {
    EXPECT_EQ(dialog.GetStatusText(), "Not Running");
    dialog.SetLoop(1000, 5000);  // remembered while nothing plays
    auto set = TwoTrackSet();
    ASSERT_TRUE(dialog.StartSet(0, StartPayload(*set)));
    EXPECT_EQ(dialog.GetStatusText(), "Running");
    int32_t start = -1, end = -1;
    dialog.GetLoop(start, end);
    EXPECT_EQ(start, 1000);
    EXPECT_EQ(end, 5000);
    EXPECT_TRUE(test::WaitUntil([&] { return dialog.GetPosition() > 0; }));
    auto bytes = dialog.GetSetBytes();
    RefPtr<CMusicSet> held = MakeRef<CMusicSet>();
    DeserializeFromBytes(*held, bytes.data(), bytes.size());
    EXPECT_STREQ(held->GetName(), "Live one");
    EXPECT_EQ(held->GetTracks().GetCount(), 3);

    // A second start stops the first set; the loop applies to it too.
    ASSERT_TRUE(dialog.StartSet(0, StartPayload(*set)));
    dialog.GetLoop(start, end);
    EXPECT_EQ(end, 5000);
    dialog.StopSet();
    EXPECT_EQ(dialog.GetStatusText(), "Not Running");
    EXPECT_EQ(statuses, (std::vector<std::string>{"Running", "Not Running", "Running", "Not Running"}));
}

TEST_F(ServerDlgTest, AStartThatCannotPlayStaysNotRunning) {
    auto set = TwoTrackSet();
    ASSERT_TRUE(dialog.StartSet(0, StartPayload(*set)));
    // Shorter than the device identifier: stops what plays and starts nothing.
    EXPECT_FALSE(dialog.StartSet(0, std::vector<uint8_t>(15, 0)));
    EXPECT_FALSE(dialog.IsRunning());
    // A set cut short or damaged is refused, not played half read.
    auto payload = StartPayload(*set);
    payload.resize(payload.size() - 10);
    EXPECT_FALSE(dialog.StartSet(0, payload));
    auto damaged = StartPayload(*set);
    damaged[16 + 3] = 0x7f;  // the name's stated capacity far beyond its field
    EXPECT_FALSE(dialog.StartSet(0, damaged));
    EXPECT_FALSE(dialog.StartSet(-5, StartPayload(*set)));
    // A device that cannot be opened.
    DeviceId missing{};
    missing.fill(0xAB);
    CServerDlg refusing(config, nullptr, nullptr, [](const DeviceId*) { return std::unique_ptr<IAudioDevice>(); });
    EXPECT_FALSE(refusing.StartSet(0, StartPayload(*set, missing)));
    EXPECT_EQ(refusing.GetStatusText(), "Not Running");
    EXPECT_TRUE(dialog.GetSetBytes().empty());
    EXPECT_EQ(dialog.GetPosition(), 0);
}

TEST_F(ServerDlgTest, TrackVolumesAndLoopsAreChecked) {
    EXPECT_EQ(dialog.GetTrackVolume(0), -10000);  // nothing plays
    int32_t start = 7, end = 7;
    dialog.GetLoop(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    ASSERT_TRUE(dialog.StartSet(0, StartPayload(*TwoTrackSet())));
    EXPECT_EQ(dialog.GetTrackVolume(0), 10000);
    EXPECT_TRUE(dialog.SetTrackVolume(1, 5000));
    EXPECT_EQ(dialog.GetTrackVolume(1), 5000);
    EXPECT_FALSE(dialog.SetTrackVolume(2, 5000));   // index equal to the count
    EXPECT_FALSE(dialog.SetTrackVolume(-1, 5000));  // negative index
    EXPECT_FALSE(dialog.SetTrackVolume(0, 40000));  // 4.0 is out of range
    EXPECT_FALSE(dialog.SetTrackVolume(0, -1));
    EXPECT_EQ(dialog.GetTrackVolume(2), 0);
    EXPECT_EQ(dialog.GetTrackVolume(-1), 0);
    EXPECT_EQ(dialog.GetTrackVolume(INT32_MIN), 0);
    dialog.SetLoop(-1, 100);  // negative frames are ignored
    dialog.GetLoop(start, end);
    EXPECT_EQ(end, 0);
}

TEST_F(ServerDlgTest, CommitsAreCheckedBeforeTheyReachThePlayingSet) {
    auto set = TwoTrackSet();
    auto edit = [&](int32_t track) {
        auto copy = RefPtr<CMusicSet>(set->Clone());
        CSetHistory history(copy.get());
        auto event = MakeRef<CEvent>();
        event->SetPosition(44100);
        history.RecordInsert(track, event.get());
        return SerializeToBytes(history);
    };
    // Nothing plays: the commit replays onto nothing.
    EXPECT_FALSE(dialog.ApplyHistory(edit(1)));
    ASSERT_TRUE(dialog.StartSet(0, StartPayload(*set)));
    const auto before = dialog.GetSetBytes();
    EXPECT_FALSE(dialog.ApplyHistory(edit(3)));   // a track the set does not have
    EXPECT_EQ(dialog.GetSetBytes(), before);
    EXPECT_FALSE(dialog.ApplyHistory(edit(-2)));
    EXPECT_EQ(dialog.GetSetBytes(), before);
    auto cut = edit(1);
    cut.resize(cut.size() - 4);
    EXPECT_FALSE(dialog.ApplyHistory(cut));
    EXPECT_EQ(dialog.GetSetBytes(), before);
    EXPECT_TRUE(dialog.ApplyHistory(edit(1)));
    RefPtr<CMusicSet> now = MakeRef<CMusicSet>();
    auto bytes = dialog.GetSetBytes();
    DeserializeFromBytes(*now, bytes.data(), bytes.size());
    EXPECT_EQ(now->GetTrack(1)->GetEvents().GetCount(), 1);
}

TEST_F(ServerDlgTest, SampleMessagesWaitForTheBankAndCheckSlots) {
    std::vector<uint8_t> texts = {'k', 0, '/', 'n', 'o', 0};
    EXPECT_FALSE(dialog.LoadSample(0, texts));  // no bank yet
    EXPECT_EQ(dialog.GetSampleCount(), 9);
    CSampleBank bank;
    dialog.SetSampleBank(&bank);
    EXPECT_FALSE(dialog.LoadSample(9, texts));
    EXPECT_FALSE(dialog.LoadSample(-1, texts));
    EXPECT_FALSE(dialog.LoadSample(0, {'k', 0, '/'}));  // the path has no NUL
    EXPECT_FALSE(dialog.LoadSample(0, texts));          // no such file: the slot stays silent
    EXPECT_EQ(dialog.GetSampleName(0), "");
    EXPECT_EQ(dialog.GetSampleName(-3), "");
    dialog.TriggerSample(-1);
    dialog.TriggerSample(9);
    dialog.SetSampleBank(nullptr);
}

}  // namespace
}  // namespace vantor
