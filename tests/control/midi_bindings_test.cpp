#include "control/midi_bindings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "control/sample_bank.h"
#include "platform/file_io.h"
#include "platform/null_audio_device.h"
#include "support/temp_dir.h"

namespace vantor {
namespace {

void PutInt(std::vector<uint8_t>& bytes, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

void PutText(std::vector<uint8_t>& bytes, const std::string& text) {
    PutInt(bytes, 255);
    std::vector<uint8_t> field(255, 0);
    std::copy(text.begin(), text.end(), field.begin());
    bytes.insert(bytes.end(), field.begin(), field.end());
}

std::vector<uint8_t> WithByteCount(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> file;
    PutInt(file, static_cast<int32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// What the maps received, in order.
struct Actions {
    std::vector<int32_t> triggers;
    std::vector<std::pair<int32_t, double>> volumes;
};

struct Fixture {
    Actions actions;
    CMIDIInput input;
    CMIDIBindings bindings{[this](int32_t slot) { actions.triggers.push_back(slot); },
                           [this](int32_t slot, double gain) { actions.volumes.emplace_back(slot, gain); }};
    Fixture() { bindings.SetInput(&input); }
};

// Two triggers, one track effect and one volume binding, as the file holds
// them: the three lists of count, base weight and per binding weight 0.
std::vector<uint8_t> GoldenBody() {
    std::vector<uint8_t> body;
    PutInt(body, 2);
    PutInt(body, 0);
    for (int32_t v : {0, 0, 20, 127, 3}) PutInt(body, v);
    for (int32_t v : {0, 1, 21, 127, 8}) PutInt(body, v);
    PutInt(body, 1);
    PutInt(body, 0);
    for (int32_t v : {0, 2, 7, 2}) PutInt(body, v);
    PutText(body, "Filter");
    PutText(body, "Cutoff");
    PutInt(body, 1);
    PutInt(body, 0);
    for (int32_t v : {0, 0, 30, 8}) PutInt(body, v);
    return body;
}

TEST(MIDIBindingsTest, FileBytesFollowTheLayoutBothWays) {
    Fixture f;
    f.bindings.Triggers().Add(0, 20, 127, 3);
    f.bindings.Triggers().Add(1, 21, 127, 8);
    f.bindings.TrackEffects().Add(2, 7, 2, "Filter", "Cutoff");
    f.bindings.Volumes().Add(0, 30, 8);
    const auto golden = WithByteCount(GoldenBody());
    EXPECT_EQ(f.bindings.FileBytes(), golden);

    Fixture g;
    ASSERT_TRUE(g.bindings.ReadFileBytes(golden.data(), golden.size()));
    EXPECT_EQ(g.bindings.FileBytes(), golden);
    // Reading bound every binding in the table, with its description.
    auto records = g.input.GetRecords(1, 21);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].description.str(), "Trigger Sample #8");
    EXPECT_EQ(records[0].key, 127u * 65536u + 8u);
    EXPECT_EQ(g.input.GetRecords(2, 7)[0].description.str(), "Track Effect #2/7");
    EXPECT_EQ(g.input.GetRecords(0, 30)[0].description.str(), "Trigger Volume #8");
    EXPECT_EQ(g.input.GetCellCount(), 4);
}

TEST(MIDIBindingsTest, DamagedFilesLeaveEveryMapEmpty) {
    const auto body = GoldenBody();
    std::vector<std::vector<uint8_t>> damaged;
    damaged.push_back({});                                   // no byte count
    damaged.push_back({1, 0});                               // half a byte count
    auto longer = WithByteCount(body);
    longer[0] += 1;                                          // count beyond the bytes
    damaged.push_back(longer);
    auto negative = WithByteCount(body);
    negative[3] = 0x80;
    damaged.push_back(negative);
    auto bigList = body;
    bigList[0] = 200;                                        // list count beyond the bytes
    damaged.push_back(WithByteCount(bigList));
    auto minus = body;
    minus[3] = 0xFF;                                         // negative list count
    damaged.push_back(WithByteCount(minus));
    auto narrowText = body;
    narrowText[8 + 2 * 20 + 8 + 16] = 10;                    // a text field stored 10 wide
    damaged.push_back(WithByteCount(narrowText));
    auto cut = body;
    cut.resize(cut.size() - 2);                              // last record cut short
    damaged.push_back(WithByteCount(cut));

    for (size_t i = 0; i < damaged.size(); ++i) {
        Fixture f;
        f.bindings.Triggers().Add(5, 5, 127, 1);
        EXPECT_FALSE(f.bindings.ReadFileBytes(damaged[i].data(), damaged[i].size())) << i;
        EXPECT_EQ(f.bindings.Triggers().GetCount() + f.bindings.TrackEffects().GetCount() +
                      f.bindings.Volumes().GetCount(), 0) << i;
        EXPECT_EQ(f.input.GetCellCount(), 0) << i;
    }
}

TEST(MIDIBindingsTest, SavingReplacesTheFileAndMissingFilesReadEmpty) {
    test::TempDir dir;
    const std::string path = dir / CMIDIBindings::kFileName;
    Fixture f;
    f.bindings.Triggers().Add(0, 1, 127, 1);
    EXPECT_FALSE(f.bindings.Load(path));
    EXPECT_EQ(f.bindings.Triggers().GetCount(), 0);

    f.bindings.Volumes().Add(3, 4, 2);
    ASSERT_TRUE(f.bindings.Save(path));
    f.bindings.Volumes().Add(3, 5, 2);
    ASSERT_TRUE(f.bindings.Load(path));
    EXPECT_EQ(f.bindings.Volumes().GetCount(), 1);
    EXPECT_EQ(ReadWholeFile(path).value(), f.bindings.FileBytes());
}

TEST(MIDIBindingsTest, TriggersFireOnlyOnTheirValueAndSlotsOneToEight) {
    Fixture f;
    f.bindings.Triggers().Add(0, 20, 127, 3);
    f.bindings.Triggers().Add(0, 21, 127, 9);   // no such trigger slot
    f.bindings.Triggers().Add(0, 22, 127, 0);
    f.input.Dispatch(0, 20, 126);
    EXPECT_TRUE(f.actions.triggers.empty());
    f.input.Dispatch(0, 20, 127);
    f.input.Dispatch(0, 20, 127);
    f.input.Dispatch(0, 21, 127);
    f.input.Dispatch(0, 22, 127);
    f.input.Dispatch(1, 20, 127);               // another channel
    EXPECT_EQ(f.actions.triggers, (std::vector<int32_t>{2, 2}));
}

TEST(MIDIBindingsTest, VolumeValuesScaleToGains) {
    Fixture f;
    f.bindings.Volumes().Add(2, 9, 8);
    f.input.Dispatch(2, 9, 127);
    f.input.Dispatch(2, 9, 40);
    f.input.Dispatch(2, 9, 0);
    ASSERT_EQ(f.actions.volumes.size(), 3u);
    EXPECT_EQ(f.actions.volumes[0].first, 8);
    EXPECT_DOUBLE_EQ(f.actions.volumes[0].second, 3.175);
    EXPECT_DOUBLE_EQ(f.actions.volumes[1].second, 1.0);
    EXPECT_DOUBLE_EQ(f.actions.volumes[2].second, 0.0);

    // On a real bank: the preview slot's gain follows the controller.
    auto clock = std::make_shared<RealAudioClock>();
    CSampleBank bank(std::nullopt, [clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); });
    CMIDIInput input;
    CMIDIBindings bound(bank);
    bound.SetInput(&input);
    bound.Volumes().Add(0, 1, 8);
    input.Dispatch(0, 1, 40);
    EXPECT_EQ(bank.GetSlotVolume(8), 8192);
    input.Dispatch(0, 1, 127);
    EXPECT_NEAR(bank.GetSlotVolume(8), 3.175 * 8192, 1.0);
}

TEST(MIDIBindingsTest, AddingOnABoundControlReplacesWithinTheMap) {
    Fixture f;
    f.bindings.Triggers().Add(0, 20, 127, 3);
    f.bindings.Triggers().Add(0, 20, 127, 4);   // same value: replaces
    f.bindings.Triggers().Add(0, 20, 64, 5);    // another value: kept beside
    f.bindings.Volumes().Add(0, 20, 1);         // another map: kept beside
    f.bindings.Volumes().Add(0, 20, 2);
    EXPECT_EQ(f.bindings.Triggers().GetCount(), 2);
    EXPECT_EQ(f.bindings.Volumes().GetCount(), 1);
    EXPECT_EQ(f.input.GetRecords(0, 20).size(), 3u);
    f.input.Dispatch(0, 20, 127);
    EXPECT_EQ(f.actions.triggers, (std::vector<int32_t>{3}));
    ASSERT_EQ(f.actions.volumes.size(), 1u);
    EXPECT_EQ(f.actions.volumes[0].first, 2);

    EXPECT_FALSE(f.bindings.Triggers().Remove(0, 20, 100));
    EXPECT_TRUE(f.bindings.Triggers().Remove(0, 20));
    EXPECT_TRUE(f.bindings.Triggers().Remove(0, 20, 64));
    EXPECT_TRUE(f.bindings.Volumes().Remove(0, 20));
    EXPECT_EQ(f.input.GetCellCount(), 0);
}

TEST(MIDIBindingsTest, ANewInputTableGetsEveryBinding) {
    Fixture f;
    f.bindings.Triggers().Add(0, 20, 127, 1);
    f.bindings.Volumes().Add(1, 2, 0);
    auto replacement = std::make_unique<CMIDIInput>();
    f.bindings.SetInput(replacement.get());
    EXPECT_EQ(f.input.GetCellCount(), 0);
    replacement->Dispatch(0, 20, 127);
    replacement->Dispatch(1, 2, 40);
    EXPECT_EQ(f.actions.triggers.size(), 1u);
    EXPECT_EQ(f.actions.volumes.size(), 1u);
    // Reopening the device of a table keeps its bindings too.
    EXPECT_TRUE(replacement->OpenDevice(0));
    replacement->Dispatch(0, 20, 127);
    EXPECT_EQ(f.actions.triggers.size(), 2u);
    f.bindings.SetInput(nullptr);
    EXPECT_EQ(replacement->GetCellCount(), 0);
}

TEST(MIDIInputTest, MessagesAndCellsOutsideTheTableAreIgnored) {
    CMIDIInput input;
    struct Counter : IMIDIControlOwner {
        std::vector<std::pair<int32_t, uint32_t>> seen;
        void OnControlValue(int32_t value, uint32_t key) override { seen.emplace_back(value, key); }
    } owner;
    input.Bind(8, 0, "x", &owner, 1);
    input.Bind(0, 128, "x", &owner, 1);
    input.Bind(-1, 0, "x", &owner, 1);
    EXPECT_EQ(input.GetCellCount(), 0);
    input.Bind(7, 127, "first", &owner, 1);
    input.Bind(7, 127, "second", &owner, 2);
    const uint8_t change[] = {0xB7, 127, 64};
    const uint8_t noteOn[] = {0x97, 127, 64};
    const uint8_t high[] = {0xBF, 127, 64};
    input.HandleMessage(change, 3);
    input.HandleMessage(noteOn, 3);
    input.HandleMessage(high, 3);
    input.HandleMessage(change, 2);
    input.HandleMessage(nullptr, 3);
    EXPECT_EQ(owner.seen, (std::vector<std::pair<int32_t, uint32_t>>{{64, 1}, {64, 2}}));
    input.Unbind(7, 127, &owner, 1);
    input.Unbind(7, 127, &owner, 1);
    EXPECT_EQ(input.GetRecords(7, 127).size(), 1u);
    input.Unbind(7, 127, &owner, 2);
    EXPECT_EQ(input.GetCellCount(), 0);
    // A device number past the machine's ports is refused.
    EXPECT_FALSE(input.OpenDevice(1000));
    EXPECT_FALSE(input.IsDeviceOpen());
}

TEST(MIDIInputTest, LearningWaitsForTheNextController) {
    CMIDIInput input;
    EXPECT_FALSE(input.WaitForController(std::chrono::milliseconds(10)).has_value());
    std::atomic<bool> learned{false};
    std::thread mover([&] {
        while (!learned) {
            input.Dispatch(3, 77, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    auto moved = input.WaitForController(std::chrono::seconds(10));
    learned = true;
    mover.join();
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->channel, 3);
    EXPECT_EQ(moved->controller, 77);
}

// Bindings change on one thread while controllers move on another, and the
// maps go while values still arrive: nothing reaches a binding that has gone.
TEST(MIDIInputThreadedTest, BindingsChangeWhileValuesArrive) {
    CMIDIInput input;
    std::atomic<bool> stop{false};
    std::atomic<int64_t> received{0};
    std::thread midi([&] {
        while (!stop) {
            for (int c = 0; c < 4; ++c) input.Dispatch(0, c, 40);
        }
    });
    for (int round = 0; round < 200; ++round) {
        CMIDIBindings bindings([&](int32_t) { ++received; }, [&](int32_t, double) { ++received; });
        bindings.SetInput(&input);
        for (int c = 0; c < 4; ++c) {
            bindings.Volumes().Add(0, c, c);
            bindings.Triggers().Add(0, c, 40, 1);
        }
        bindings.Volumes().Remove(0, round % 4);
    }
    stop = true;
    midi.join();
    EXPECT_EQ(input.GetCellCount(), 0);
}

}  // namespace
}  // namespace vantor
