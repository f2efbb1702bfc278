#pragma once

#include <QDialog>
#include <QPushButton>
#include <QSlider>
#include <array>

#include "views/mixer_board_view.h"

namespace vantor::gui {

// "Volume Control": a fader per track stream of the playing set, loudest at
// the top, with "Ctr" and "0" under each and "Center All" and "Mute All".
// Every move goes to whatever plays the set, here or on the sound server.
class MixerBoardWindow : public QDialog {
public:
    MixerBoardWindow(SetAudio& audio, int32_t trackCount, QWidget* parent = nullptr);

    CMixerBoardView& View() { return m_view; }
    QSlider* Fader(int slider) const { return m_faders.at(static_cast<size_t>(slider)); }

private:
    // Every fader from the view's positions.
    void Pull();

    CMixerBoardView m_view;
    std::array<QSlider*, CMixerBoardView::kSliderCount> m_faders{};
};

}  // namespace vantor::gui
