#include <QTest>
#include <atomic>
#include <thread>

#include "control/midi_bindings.h"
#include "control/midi_input.h"
#include "control/sample_bank.h"
#include "midi_mapper_window.h"
#include "platform/file_io.h"
#include "views/linear_effect.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using Kind = CMIDIControlMapperView::Kind;

class MidiMapperWindowTest : public test::WorkstationFixture {
protected:
    void SetUp() override {
        WorkstationFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        mapPath = workstation->App().Configuration().ProgramPath("MIDI.MAP");
        workstation->App().Effects().RegisterEffect(new test::LinearEffect("Echo", {"Decay", "Delay"}));
    }

    std::unique_ptr<gui::MidiMapperWindow> Open() {
        auto window = std::make_unique<gui::MidiMapperWindow>(workstation->App(), &workstation->Main());
        window->show();
        return window;
    }
    // Chooses the kind, types the fields and clicks "Add".
    void Add(gui::MidiMapperWindow& window, Kind kind, const QString& channel, const QString& control,
             const QString& fieldName = {}, const QString& value = {}) {
        QTest::mouseClick(window.KindButton(kind), Qt::LeftButton);
        Type(window.Field("Channel"), channel);
        Type(window.Field("Control Number"), control);
        if (!fieldName.isEmpty()) Type(window.Field(fieldName), value);
        QTest::mouseClick(window.Button("Add"), Qt::LeftButton);
        Settle();
    }
    static void Type(QLineEdit* field, const QString& text) {
        field->clear();
        QTest::keyClicks(field, text);
    }
    static std::vector<QStringList> Rows(const gui::MidiMapperWindow& window) {
        std::vector<QStringList> rows;
        for (int i = 0; i < window.Lines()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = window.Lines()->topLevelItem(i);
            rows.push_back({item->text(0), item->text(1), item->text(2)});
        }
        return rows;
    }
    CMIDIBindings& Bindings() { return *workstation->App().MIDIBindings(); }

    std::string mapPath;
};

TEST_F(MidiMapperWindowTest, AddedBindingsAreLiveAndOkStoresThemInTheMapFile) {
    auto window = Open();
    // The defaults: "Track Effect" with its fields, the others' disabled.
    EXPECT_TRUE(window->KindButton(Kind::TrackEffect)->isChecked());
    EXPECT_EQ(window->Field("Track #")->text(), "1");
    EXPECT_TRUE(window->Field("Track #")->isEnabled());
    EXPECT_FALSE(window->Field("Trigger Sample #")->isEnabled());
    ASSERT_GT(window->Effects()->count(), 0);
    EXPECT_EQ(window->Effects()->currentIndex(), 0);
    EXPECT_EQ(window->Effects()->itemText(1), "Echo/Delay");
    EXPECT_EQ(window->Lines()->headerItem()->text(2), "Description");

    Add(*window, Kind::TriggerSample, "2", "17", "Trigger Sample #", "5");
    EXPECT_FALSE(window->Field("Track #")->isEnabled());
    EXPECT_FALSE(window->Effects()->isEnabled());
    Add(*window, Kind::SampleVolume, "2", "9", "Volume Sample #", "9");
    window->Effects()->setCurrentIndex(window->Effects()->count() - 1);
    const QString effect = window->Effects()->currentText();
    Add(*window, Kind::TrackEffect, "0", "64", "Track #", "3");
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(Rows(*window), (std::vector<QStringList>{{"0", "64", effect + " on track 3"},
                                                       {"2", "9", "Sample Volume #9"},
                                                       {"2", "17", "Sample #5"}}));

    // Live at once: the volume binding for slot 8 sets the preview's gain.
    CMIDIInput& input = *workstation->App().MIDIInput();
    ASSERT_EQ(input.GetRecords(2, 9).size(), 1u);
    input.Dispatch(2, 9, 40);
    EXPECT_EQ(workstation->App().SampleBank()->GetSlotVolume(CSampleBank::kPreviewSlot), 8192);

    QTest::mouseClick(window->Button("OK"), Qt::LeftButton);
    EXPECT_EQ(window->result(), QDialog::Accepted);
    const auto stored = ReadWholeFile(mapPath);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, Bindings().FileBytes());

    // The file read anew holds each binding as added.
    CMIDIBindings reread([](int32_t) {}, [](int32_t, double) {});
    ASSERT_TRUE(reread.Load(mapPath));
    const auto triggers = reread.Triggers().GetBindings();
    ASSERT_EQ(triggers.size(), 1u);
    const auto& trigger = triggers.front();
    EXPECT_EQ(std::vector<int32_t>({trigger.channel, trigger.controller, trigger.triggerValue, trigger.sampleNumber}),
              std::vector<int32_t>({2, 17, 127, 5}));
    const auto volumes = reread.Volumes().GetBindings();
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes.front().slot, 8);
    const auto tracks = reread.TrackEffects().GetBindings();
    ASSERT_EQ(tracks.size(), 1u);
    const auto& track = tracks.front();
    EXPECT_EQ(track.track, 3);
    EXPECT_EQ(QString::fromStdString(track.effect.str() + "/" + track.parameter.str()), effect);
}

TEST_F(MidiMapperWindowTest, CancelAndClosingReadTheMapFileBack) {
    {
        auto window = Open();
        Add(*window, Kind::TriggerSample, "1", "20", "Trigger Sample #", "2");
        QTest::mouseClick(window->Button("OK"), Qt::LeftButton);
    }
    const auto stored = ReadWholeFile(mapPath);
    ASSERT_TRUE(stored);

    auto window = Open();
    ASSERT_EQ(Rows(*window).size(), 1u);
    Add(*window, Kind::TriggerSample, "1", "20", "Trigger Sample #", "7");
    ASSERT_EQ(Rows(*window), (std::vector<QStringList>{{"1", "20", "Sample #7"}})) << "the same controller: replaced";
    Add(*window, Kind::SampleVolume, "0", "5", "Volume Sample #", "1");
    EXPECT_NE(Bindings().FileBytes(), *stored);
    QTest::mouseClick(window->Button("Cancel"), Qt::LeftButton);
    EXPECT_EQ(Bindings().FileBytes(), *stored);
    EXPECT_EQ(workstation->App().MIDIInput()->GetRecords(0, 5).size(), 0u);
    EXPECT_EQ(workstation->App().MIDIInput()->GetRecords(1, 20).size(), 1u);

    // Removing and closing with Escape undoes the removal as well.
    window = Open();
    window->Lines()->setCurrentItem(window->Lines()->topLevelItem(0));
    QTest::mouseClick(window->Button("Remove"), Qt::LeftButton);
    EXPECT_TRUE(Rows(*window).empty());
    EXPECT_TRUE(Bindings().Triggers().GetBindings().empty());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Bindings().FileBytes(), *stored);
}

TEST_F(MidiMapperWindowTest, BadFieldsAreRefusedAndChangeNothing) {
    auto window = Open();
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { Add(*window, Kind::TriggerSample, "8", "1", "Trigger Sample #", "1"); },
         "The channel runs from 0 to 7 and the control number from 0 to 127."},
        {[&] { Add(*window, Kind::TriggerSample, "0", "128", "Trigger Sample #", "1"); },
         "The channel runs from 0 to 7 and the control number from 0 to 127."},
        {[&] { Add(*window, Kind::TriggerSample, "-1", "1", "Trigger Sample #", "1"); },
         "The channel runs from 0 to 7 and the control number from 0 to 127."},
        {[&] { Add(*window, Kind::TriggerSample, "0", "1", "Trigger Sample #", "9"); },
         "The sample number runs from 1 to 8."},
        {[&] { Add(*window, Kind::SampleVolume, "0", "1", "Volume Sample #", "10"); },
         "The sample number runs from 1 to 9."},
        {[&] { Add(*window, Kind::SampleVolume, "0", "1", "Volume Sample #", "0"); },
         "The sample number runs from 1 to 9."},
        {[&] { Add(*window, Kind::TrackEffect, "0", "1", "Track #", "0"); }, "Tracks are counted from 1."},
        {[&] { Add(*window, Kind::TrackEffect, "zero", "1"); }, "Please enter an integer."},
        {[&] { Add(*window, Kind::TrackEffect, "0", "1", "Track #", "2.5"); }, "Please enter an integer."},
        {[&] { Add(*window, Kind::TriggerSample, "0", "", "Trigger Sample #", "1"); }, "Please enter an integer."},
    };
    for (const auto& [add, message] : cases) {
        const size_t before = boxes.Texts().size();
        add();
        ASSERT_EQ(boxes.Texts().size(), before + 1) << message;
        EXPECT_EQ(boxes.Texts().back(), message);
        EXPECT_EQ(boxes.Captions().back(), "MIDI Control Mapper");
    }
    EXPECT_TRUE(Rows(*window).empty());
    EXPECT_EQ(workstation->App().MIDIInput()->GetCellCount(), 0);

    // A disabled field's text does not matter.
    window->Field("Track #")->setText("junk");
    Add(*window, Kind::TriggerSample, "0", "1", "Trigger Sample #", "8");
    EXPECT_EQ(Rows(*window), (std::vector<QStringList>{{"0", "1", "Sample #8"}}));
}

TEST_F(MidiMapperWindowTest, LearnWithoutAControllerMovedTellsTheUserAndKeepsTheFields) {
    auto window = Open();
    window->Field("Channel")->setText("3");
    window->Field("Control Number")->setText("12");
    window->SetLearnTime(std::chrono::milliseconds(150));
    QTest::mouseClick(window->Button("Learn"), Qt::LeftButton);
    EXPECT_TRUE(window->IsLearning());
    EXPECT_TRUE(window->Button("Learn")->isChecked());
    // The window answers while it learns, and learning goes on from the
    // app's new input table when the old one is let go.
    QTest::mouseClick(window->KindButton(Kind::SampleVolume), Qt::LeftButton);
    EXPECT_TRUE(window->Field("Volume Sample #")->isEnabled());
    QTest::qWait(30);
    workstation->App().ReplaceMIDIInput();
    QTRY_VERIFY_WITH_TIMEOUT(!window->IsLearning(), 5000);
    Settle();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "No MIDI controller moved within 0.15 seconds; the channel and control number stay as they were.");
    EXPECT_FALSE(window->Button("Learn")->isChecked());
    EXPECT_EQ(window->Field("Channel")->text(), "3");
    EXPECT_EQ(window->Field("Control Number")->text(), "12");
}

// A controller moved on the MIDI input's own thread while the window learns.
TEST_F(MidiMapperWindowTest, LearnTakesTheControllerMovedThreaded) {
    auto window = Open();
    CMIDIInput* input = workstation->App().MIDIInput();
    QTest::mouseClick(window->Button("Learn"), Qt::LeftButton);
    std::atomic<bool> learning{true};
    std::thread knob([&] {
        while (learning.load()) {
            input->Dispatch(5, 33, 90);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const bool learned = QTest::qWaitFor([&] { return !window->IsLearning(); }, 5000);
    learning = false;
    knob.join();
    ASSERT_TRUE(learned);
    EXPECT_EQ(window->Field("Channel")->text(), "5");
    EXPECT_EQ(window->Field("Control Number")->text(), "33");
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
}  // namespace vantor
