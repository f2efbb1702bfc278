#include <QTest>

#include "control/sample_bank.h"
#include "platform/file_io.h"
#include "sample_database_window.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

// Two of the fixture's waves stored as samples, and the sample database
// window opened from the main window.
class SampleDatabaseWindowTest : public test::WorkstationFixture {
protected:
    void SetUp() override {
        WorkstationFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        PutSample(songs[0], "Air Horn");
        PutSample(songs[1], "Rewind");
        Command("View Samples")->trigger();
        Settle();
        window = workstation->Find<gui::SampleDatabaseWindow>(WindowKind::SampleDatabase);
        ASSERT_NE(window, nullptr);
        bank = workstation->App().SampleBank();
    }

    void PutSample(const std::string& path, const std::string& title) {
        CSongProfile sample;
        sample.SetLocalPath(path);
        sample.SetTitle(title);
        ASSERT_TRUE(workstation->App().Database().PutSample(sample));
    }
    void Choose(const QString& title) {
        const auto found = window->Samples()->findItems(title, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        window->Samples()->setCurrentItem(found.front());
    }

    gui::SampleDatabaseWindow* window = nullptr;
    CSampleBank* bank = nullptr;
};

TEST_F(SampleDatabaseWindowTest, PresetButtonsFillTheBankAndTheMainWindowsSampleButtons) {
    ASSERT_EQ(window->Samples()->count(), 2);
    EXPECT_FALSE(window->Preset(1)->isEnabled()) << "no sample chosen";
    EXPECT_FALSE(window->Button("Play")->isEnabled());
    QAction* third = workstation->Main().SampleButtons()[2];
    EXPECT_FALSE(third->isEnabled());

    Choose("Air Horn");
    ASSERT_TRUE(window->Preset(3)->isEnabled());
    QTest::mouseClick(window->Preset(3), Qt::LeftButton);
    EXPECT_EQ(bank->GetSlotName(2), "Air Horn");
    EXPECT_EQ(bank->GetSlotFileName(2), songs[0]);
    EXPECT_EQ(window->SlotLabel(3)->text(), "Air Horn");
    EXPECT_EQ(third->toolTip(), "Air Horn");
    ASSERT_TRUE(third->isEnabled());
    third->trigger();
    EXPECT_TRUE(bank->Slot(2).IsPlaying());
    EXPECT_FALSE(bank->Slot(0).IsPlaying());

    // Play previews in slot 8 and leaves the trigger slots alone.
    Choose("Rewind");
    QTest::mouseClick(window->Button("Play"), Qt::LeftButton);
    EXPECT_EQ(bank->GetSlotName(CSampleBank::kPreviewSlot), "Rewind");
    EXPECT_TRUE(bank->Slot(CSampleBank::kPreviewSlot).IsPlaying());
    EXPECT_EQ(bank->GetSlotName(2), "Air Horn");
}

TEST_F(SampleDatabaseWindowTest, DefaultPresetsComeBackIntoTheLabelsAndTips) {
    Choose("Air Horn");
    QTest::mouseClick(window->Preset(1), Qt::LeftButton);
    QTest::mouseClick(window->Button("Save Default"), Qt::LeftButton);
    const auto bytes = ReadWholeFile(workstation->App().Configuration().ProgramPath("DEFAULT.SP"));
    ASSERT_TRUE(bytes);
    const auto stored = CSampleBank::ParsePresets(bytes->data(), bytes->size());
    ASSERT_EQ(stored.size(), 9u);
    EXPECT_EQ(stored[0], std::make_pair(std::string("Air Horn"), songs[0]));

    Choose("Rewind");
    QTest::mouseClick(window->Preset(1), Qt::LeftButton);
    QTest::mouseClick(window->Preset(2), Qt::LeftButton);
    EXPECT_EQ(workstation->Main().SampleButtons()[1]->toolTip(), "Rewind");
    QTest::mouseClick(window->Button("Load Default"), Qt::LeftButton);
    EXPECT_EQ(bank->GetSlotName(0), "Air Horn");
    EXPECT_EQ(window->SlotLabel(1)->text(), "Air Horn");
    EXPECT_EQ(workstation->Main().SampleButtons()[0]->toolTip(), "Air Horn");
    // The file held slot 2 empty: it empties the label, the tip and the button.
    EXPECT_EQ(window->SlotLabel(2)->text(), "");
    EXPECT_FALSE(workstation->Main().SampleButtons()[1]->isEnabled());
}

TEST_F(SampleDatabaseWindowTest, ASavedSampleJoinsTheListAndTheChoiceStays) {
    Choose("Rewind");
    PutSample(songs[2], "Big Drop");
    workstation->App().Registry().Broadcast(WindowKind::SongProfile, Notification{kSongSaved, std::string(), {}});
    Settle();
    ASSERT_EQ(window->Samples()->count(), 3);
    ASSERT_NE(window->Samples()->currentItem(), nullptr);
    EXPECT_EQ(window->Samples()->currentItem()->text(), "Rewind");
    QTest::mouseClick(window->Button("Play"), Qt::LeftButton);
    EXPECT_EQ(bank->GetSlotName(CSampleBank::kPreviewSlot), "Rewind");
}

}  // namespace
}  // namespace vantor
