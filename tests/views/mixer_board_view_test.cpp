#include "views/mixer_board_view.h"

#include <gtest/gtest.h>

#include <cmath>

#include "editing/editing_fixtures.h"
#include "platform/null_audio_device.h"
#include "platform/scripted_user_interface.h"

namespace vantor {
namespace {

TEST(MixerBoardScaleTest, TheScaleRunsFromOneAndAHalfAtTheTopToSilenceAtTheBottom) {
    EXPECT_EQ(CMixerBoardView::PositionOf(1.0), 500);
    EXPECT_EQ(CMixerBoardView::PositionOf(0.0), 1500);
    EXPECT_EQ(CMixerBoardView::PositionOf(1.5), 0);
    EXPECT_EQ(CMixerBoardView::PositionOf(0.25), 1250);
    EXPECT_EQ(CMixerBoardView::PositionOf(3.9), 0);     // louder than the scale: its top
    EXPECT_EQ(CMixerBoardView::PositionOf(-1.0), 1500);  // no answer: silence
    EXPECT_EQ(CMixerBoardView::PositionOf(std::nan("")), 1500);
    EXPECT_DOUBLE_EQ(CMixerBoardView::VolumeAt(500), 1.0);
    EXPECT_DOUBLE_EQ(CMixerBoardView::VolumeAt(1250), 0.25);
    EXPECT_DOUBLE_EQ(CMixerBoardView::VolumeAt(-40), 1.5);
    EXPECT_DOUBLE_EQ(CMixerBoardView::VolumeAt(9999), 0.0);
}

class MixerBoardViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.SetDefaults();
        SetAudioSetup setup;
        setup.opener = [clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); };
        audio.Configure(std::move(setup));
    }

    CConfiguration config;
    ScriptedUserInterface ui;
    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    RefPtr<CMusicSet> set = test::NewSet(3);
    SetAudio audio{ui, config, nullptr};
};

TEST_F(MixerBoardViewTest, SlidersFollowTheLocalPlayersTrackStreams) {
    ASSERT_TRUE(audio.Start(*set, 0, 0, 0));
    ASSERT_TRUE(audio.SetTrackVolume(1, 0.5));
    CMixerBoardView board(audio, 3);
    board.Open();
    EXPECT_EQ(board.GetSliderPosition(0), 500);
    EXPECT_EQ(board.GetSliderPosition(1), 1000);
    EXPECT_TRUE(board.IsSliderEnabled(2));
    for (int slider = 3; slider < 8; ++slider) {
        EXPECT_FALSE(board.IsSliderEnabled(slider));
        EXPECT_EQ(board.GetSliderPosition(slider), 1500);
    }
    EXPECT_FALSE(board.IsSliderEnabled(-1));
    EXPECT_FALSE(board.IsSliderEnabled(8));

    board.MoveSlider(0, 250);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(0), 1.25);
    board.MoveSlider(2, -300);  // beyond the top: the top
    EXPECT_EQ(board.GetSliderPosition(2), 0);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(2), 1.5);
    board.MoveSlider(5, 0);  // no track: nothing moves
    EXPECT_EQ(board.GetSliderPosition(5), 1500);
    board.Zero(1);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(1), 0.0);
    board.Center(1);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(1), 1.0);

    board.MuteAll();
    for (int track = 0; track < 3; ++track) {
        EXPECT_DOUBLE_EQ(audio.GetTrackVolume(track), 0.0);
        EXPECT_EQ(board.GetSliderPosition(track), 1500);
    }
    board.CenterAll();
    for (int track = 0; track < 3; ++track) {
        EXPECT_DOUBLE_EQ(audio.GetTrackVolume(track), 1.0);
        EXPECT_EQ(board.GetSliderPosition(track), 500);
    }
    EXPECT_EQ(board.GetSliderPosition(3), 1500);
}

TEST_F(MixerBoardViewTest, NothingPlayingLeavesEverySliderSilent) {
    CMixerBoardView board(audio, 12);  // more tracks than sliders
    board.Open();
    for (int slider = 0; slider < 8; ++slider) {
        EXPECT_TRUE(board.IsSliderEnabled(slider));
        EXPECT_EQ(board.GetSliderPosition(slider), 1500);
    }
}

}  // namespace
}  // namespace vantor
