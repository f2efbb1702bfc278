#include "views/mixer_board_view.h"

#include <algorithm>
#include <cmath>

namespace vantor {

CMixerBoardView::CMixerBoardView(SetAudio& audio, int32_t trackCount)
    : m_audio(audio), m_trackCount(std::clamp(trackCount, 0, kSliderCount)) {
    m_positions.fill(kBottom);
}

int CMixerBoardView::PositionOf(double volume) {
    if (!std::isfinite(volume)) return kBottom;
    const double position = kBottom - std::trunc(std::clamp(volume, 0.0, 1.5) * 1000.0);
    return std::clamp(static_cast<int>(position), 0, kBottom);
}

double CMixerBoardView::VolumeAt(int position) { return (kBottom - std::clamp(position, 0, kBottom)) * 0.001; }

void CMixerBoardView::Open() {
    for (int slider = 0; slider < kSliderCount; ++slider) {
        if (!IsSliderEnabled(slider)) {
            m_positions[static_cast<size_t>(slider)] = kBottom;
            continue;
        }
        double volume = m_audio.GetTrackVolume(slider);
        if (volume == -1.0) volume = m_audio.GetTrackVolume(slider);
        m_positions[static_cast<size_t>(slider)] = PositionOf(volume);
    }
}

int CMixerBoardView::GetSliderPosition(int slider) const {
    return IsSlider(slider) ? m_positions[static_cast<size_t>(slider)] : kBottom;
}

bool CMixerBoardView::IsSliderEnabled(int slider) const { return IsSlider(slider) && slider < m_trackCount; }

void CMixerBoardView::MoveSlider(int slider, int position) {
    if (!IsSliderEnabled(slider)) return;
    position = std::clamp(position, 0, kBottom);
    m_positions[static_cast<size_t>(slider)] = position;
    m_audio.SetTrackVolume(slider, VolumeAt(position));
}

void CMixerBoardView::CenterAll() {
    for (int slider = 0; slider < kSliderCount; ++slider) Center(slider);
}

void CMixerBoardView::MuteAll() {
    for (int slider = 0; slider < kSliderCount; ++slider) Zero(slider);
}

}  // namespace vantor
