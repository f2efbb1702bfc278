#include "views/midi_control_mapper_view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/effect_manager_impl.h"
#include "platform/file_io.h"
#include "platform/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "views/linear_effect.h"

namespace vantor {
namespace {

using Kind = CMIDIControlMapperView::Kind;
using Field = CMIDIControlMapperView::Field;

class MIDIControlMapperViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        effects.RegisterEffect(new test::LinearEffect("Volume", {"Level"}));
        effects.RegisterEffect(new test::LinearEffect("Echo", {"Level", "Delay"}));
        bindings.SetInput(&input);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& line : view.GetLines())
            lines.push_back(std::to_string(line.channel) + " " + std::to_string(line.controller) + " " +
                            line.description);
        return lines;
    }

    test::TempDir dir;
    ScriptedUserInterface ui;
    CEffectManagerImpl effects;
    CMIDIInput input;
    std::vector<int32_t> triggered;
    CMIDIBindings bindings{[this](int32_t slot) { triggered.push_back(slot); }, [](int32_t, double) {}};
    std::string mapPath = dir / "MIDI.MAP";
    CMIDIControlMapperView view{ui, bindings, &effects, mapPath, &input};
};

TEST_F(MIDIControlMapperViewTest, OpensWithDefaultsAndEveryEffectParameter) {
    view.Open();
    EXPECT_EQ(view.GetEffectEntries(), (std::vector<std::string>{"Echo/Level", "Echo/Delay", "Volume/Level"}));
    EXPECT_EQ(view.GetSelectedEffect(), 0);
    EXPECT_EQ(view.GetKind(), Kind::TrackEffect);
    EXPECT_TRUE(view.IsEnabled(Field::TrackNumber));
    EXPECT_TRUE(view.IsEnabled(Field::EffectBox));
    EXPECT_FALSE(view.IsEnabled(Field::TriggerSample));
    view.SetKind(Kind::SampleVolume);
    EXPECT_TRUE(view.IsEnabled(Field::VolumeSample));
    EXPECT_FALSE(view.IsEnabled(Field::EffectBox));
    EXPECT_EQ(view.trackNumber, 1);
    EXPECT_EQ(view.triggerSample, 1);
    const auto columns = CMIDIControlMapperView::GetColumns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].caption, "Chnl #");
    EXPECT_EQ(columns[2].percent, 80);
}

TEST_F(MIDIControlMapperViewTest, AddedBindingsAreLiveAndListedByChannelAndController) {
    view.Open();
    view.channel = 1;
    view.controlNumber = 5;
    view.trackNumber = 2;
    view.SelectEffect(1);
    ASSERT_TRUE(view.Add());
    view.SetKind(Kind::TriggerSample);
    view.channel = 0;
    view.controlNumber = 64;
    view.triggerSample = 4;
    ASSERT_TRUE(view.Add());
    view.SetKind(Kind::SampleVolume);
    view.volumeSample = 9;
    view.channel = 1;
    view.controlNumber = 2;
    ASSERT_TRUE(view.Add());
    EXPECT_EQ(Lines(), (std::vector<std::string>{"0 64 Sample #4", "1 2 Sample Volume #9",
                                                 "1 5 Echo/Delay on track 2"}));
    auto effect = bindings.TrackEffects().GetBindings();
    ASSERT_EQ(effect.size(), 1u);
    EXPECT_EQ(effect[0].effect.str(), "Echo");
    EXPECT_EQ(effect[0].parameter.str(), "Delay");
    input.Dispatch(0, 64, 127);
    EXPECT_EQ(triggered, (std::vector<int32_t>{3}));

    // Fields out of range are refused and change nothing.
    view.SetKind(Kind::TriggerSample);
    view.triggerSample = 9;
    EXPECT_FALSE(view.Add());
    view.triggerSample = 1;
    view.channel = 8;
    EXPECT_FALSE(view.Add());
    EXPECT_EQ(view.GetLines().size(), 3u);

    EXPECT_TRUE(view.Remove(0));
    EXPECT_FALSE(view.Remove(5));
    EXPECT_EQ(bindings.Triggers().GetCount(), 0);
    input.Dispatch(0, 64, 127);
    EXPECT_EQ(triggered.size(), 1u);
}

TEST_F(MIDIControlMapperViewTest, OkWritesTheFileAndCancelReadsItBack) {
    view.Open();
    view.SetKind(Kind::TriggerSample);
    view.controlNumber = 10;
    ASSERT_TRUE(view.Add());
    ASSERT_TRUE(view.Ok());
    const auto saved = ReadWholeFile(mapPath).value();

    view.Open();
    view.controlNumber = 11;
    ASSERT_TRUE(view.Add());
    view.Remove(0);
    view.Cancel();
    EXPECT_EQ(bindings.FileBytes(), saved);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"0 10 Sample #1"}));
    input.Dispatch(0, 10, 127);
    EXPECT_EQ(triggered.size(), 1u);

    // A map that cannot be written is told and the dialog stays.
    CMIDIControlMapperView blocked{ui, bindings, &effects, dir / "missing/MIDI.MAP"};
    blocked.Open();
    EXPECT_FALSE(blocked.Ok());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].caption, "MIDI Control Mapper");
}

TEST_F(MIDIControlMapperViewTest, LearnTakesTheNextControllerMoved) {
    view.Open();
    // The controller keeps moving until learning has seen it.
    std::atomic<bool> learned{false};
    std::thread mover([this, &learned] {
        const uint8_t change[] = {0xB6, 33, 1};
        while (!learned) {
            input.HandleMessage(change, sizeof change);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    EXPECT_TRUE(view.Learn(std::chrono::seconds(10)));
    learned = true;
    mover.join();
    EXPECT_EQ(view.channel, 6);
    EXPECT_EQ(view.controlNumber, 33);
    EXPECT_FALSE(view.Learn(std::chrono::milliseconds(10)));
    CMIDIControlMapperView deaf{ui, bindings, &effects, mapPath};
    EXPECT_FALSE(deaf.Learn(std::chrono::milliseconds(10)));
}

}  // namespace
}  // namespace vantor
