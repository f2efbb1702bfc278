#include <QTest>
#include <atomic>

#include "apply_effects_window.h"
#include "editing/editing_fixtures.h"
#include "engine/summary_builder.h"
#include "insert_segment_window.h"
#include "segment_waveforms.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::WorkstationFixture;

TEST_F(WorkstationFixture, WaveformColumnsComeFromTheSummaryOnlyWithinTheSong) {
    CMusicDatabase& database = workstation->App().Database();
    gui::SegmentWaveforms waveforms(&database);
    auto design = MakeRef<CSegmentDesign>();
    CSegment& segment = *design->GetSegment();
    segment.SetSongKey(songs[0]);
    segment.SetStart(0);
    segment.SetEnd(6 * 44100);
    segment.SetRatio(1.0);
    WaveformColumn column;
    // No summary yet: nothing to draw, and nothing read from the audio.
    EXPECT_FALSE(waveforms.Column(segment, 0, 441.0, column));

    RefPtr<CSongProfile> song = database.GetSong(songs[0]);
    ASSERT_TRUE(song);
    std::atomic<int32_t> percent{0};
    ASSERT_TRUE(BuildSongSummary(*song, percent));
    EXPECT_FALSE(waveforms.Column(segment, 0, 441.0, column));  // remembered as missing
    waveforms.Clear();
    // The first click sounds at 1 s: silence before it, the click's peak at it.
    ASSERT_TRUE(waveforms.Column(segment, 44100 / 2, 441.0, column));
    EXPECT_LT(std::max<int>(column.maximum, -column.minimum), 200);
    ASSERT_TRUE(waveforms.Column(segment, 44100, 441.0, column));
    EXPECT_GT(std::max<int>(column.maximum, -column.minimum), 10000);
    // A segment starting a second into the song finds that click at offset 0.
    segment.SetStart(44100);
    ASSERT_TRUE(waveforms.Column(segment, 0, 441.0, column));
    EXPECT_GT(std::max<int>(column.maximum, -column.minimum), 10000);
    // Past the song's end, before the segment and at a scale that cannot be drawn.
    EXPECT_FALSE(waveforms.Column(segment, 10 * 44100, 441.0, column));
    EXPECT_FALSE(waveforms.Column(segment, -1, 441.0, column));
    EXPECT_FALSE(waveforms.Column(segment, 0, 0.0, column));
    EXPECT_FALSE(waveforms.Column(segment, 0, std::nan(""), column));
    segment.SetRatio(0.0);
    EXPECT_FALSE(waveforms.Column(segment, 0, 441.0, column));
}

TEST_F(WorkstationFixture, TheInsertSegmentWindowOffersOnlyTheAvailableChoices) {
    InsertChoices choices;
    choices.segmentName = "Hook";
    choices.segmentTempo = 128;
    choices.insertTempo = 130;
    choices.position = 88200;
    choices.resampleAvailable = true;
    choices.splitAvailable = true;
    choices.defaultChoice = InsertChoice::Resample;
    CInsertSegmentDialog dialog(choices);
    gui::InsertSegmentWindow window(dialog);
    EXPECT_FALSE(window.Choice(InsertChoice::MixInto)->isEnabled());
    EXPECT_FALSE(window.MixTargets()->isEnabled());
    EXPECT_TRUE(window.Choice(InsertChoice::Resample)->isChecked());
    window.Choice(InsertChoice::SplitTempo)->setChecked(true);
    for (auto* button : window.findChildren<QPushButton*>())
        if (button->text().remove('&') == "OK") QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetChoice(), InsertChoice::SplitTempo);
}

TEST_F(WorkstationFixture, ApplyEffectsListsTheShapesAndItsPresetButtonsStoreTheProfileName) {
    RefPtr<CMusicSet> set = test::NewSet(2);
    test::AddSegment(*set, 1, 0, 0, 44100 * 4, 1.0, songs[0]);
    CConfiguration& config = workstation->App().Configuration();
    SetEditorState state(set.get(), config);
    CApplyEffectsDialog dialog(workstation->App().UserInterface(), &workstation->App().Effects(), config);
    dialog.Open(state, 1, 0, 44100 * 2);
    gui::ApplyEffectsWindow window(dialog, &workstation->App().Effects(), 44100);
    ASSERT_EQ(window.Waveforms()->count(), 4);
    EXPECT_EQ(window.Waveforms()->item(1)->text(), "Linear");
    EXPECT_EQ(window.Waveforms()->currentRow(), 1);
    EXPECT_EQ(window.Profiles()->item(0)->text(), "<none>");

    auto* name = window.findChildren<QLineEdit*>().front();
    name->setText("Big Fade");
    QTest::mouseClick(window.PresetButton(2), Qt::LeftButton);
    EXPECT_EQ(std::string(config.GetEffectPresetName(2)), "Big Fade");
    bool captioned = false;
    for (auto* label : window.findChildren<QLabel*>()) captioned = captioned || label->text() == "Big Fade";
    EXPECT_TRUE(captioned);
    dialog.Cancel();
}

}  // namespace
}  // namespace vantor
