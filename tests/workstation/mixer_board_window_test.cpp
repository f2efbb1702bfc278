#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "editing/editing_fixtures.h"
#include "mixer_board_window.h"
#include "platform/null_audio_device.h"
#include "platform/scripted_user_interface.h"

namespace vantor::gui {
namespace {

class MixerBoardWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.SetDefaults();
        SetAudioSetup setup;
        setup.opener = [clock = clock](const DeviceId*) { return std::make_unique<NullAudioDevice>(clock); };
        audio.Configure(std::move(setup));
    }

    QPushButton* Button(QWidget& window, const QString& text, int nth = 0) {
        int seen = 0;
        for (auto* button : window.findChildren<QPushButton*>())
            if (button->text() == text && seen++ == nth) return button;
        return nullptr;
    }

    CConfiguration config;
    ScriptedUserInterface ui;
    std::shared_ptr<ManualAudioClock> clock = std::make_shared<ManualAudioClock>();
    RefPtr<CMusicSet> set = test::NewSet(3);
    SetAudio audio{ui, config, nullptr};
};

TEST_F(MixerBoardWindowTest, FadersAndButtonsSetTheLocalPlayersTrackVolumes) {
    ASSERT_TRUE(audio.Start(*set, 0, 0, 0));
    ASSERT_TRUE(audio.SetTrackVolume(1, 0.5));
    MixerBoardWindow window(audio, 3);
    EXPECT_EQ(window.Fader(0)->value(), 500);
    EXPECT_EQ(window.Fader(1)->value(), 1000);
    EXPECT_TRUE(window.Fader(2)->isEnabled());
    EXPECT_FALSE(window.Fader(3)->isEnabled()) << "no fourth track";

    // The fader's top is the loudest: a step up from centre raises the volume.
    window.Fader(0)->setFocus();
    window.Fader(0)->setValue(250);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(0), 1.25);
    QTest::keyClick(window.Fader(2), Qt::Key_End);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(2), 0.0);

    QTest::mouseClick(Button(window, "Ctr", 2), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(2), 1.0);
    EXPECT_EQ(window.Fader(2)->value(), 500);
    QTest::mouseClick(Button(window, "0", 1), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(audio.GetTrackVolume(1), 0.0);

    QTest::mouseClick(Button(window, "Mute All"), Qt::LeftButton);
    for (int track = 0; track < 3; ++track) EXPECT_DOUBLE_EQ(audio.GetTrackVolume(track), 0.0);
    QTest::mouseClick(Button(window, "Center All"), Qt::LeftButton);
    for (int track = 0; track < 3; ++track) {
        EXPECT_DOUBLE_EQ(audio.GetTrackVolume(track), 1.0);
        EXPECT_EQ(window.Fader(track)->value(), 500);
    }
    EXPECT_EQ(window.Fader(3)->value(), 1500) << "a fader without a track stays silent";
}

}  // namespace
}  // namespace vantor::gui
