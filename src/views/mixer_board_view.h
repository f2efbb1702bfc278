#pragma once

#include <array>
#include <cstdint>

#include "views/set_audio.h"

namespace vantor {

// The mixer board ("Volume Control") of a playing set: eight vertical
// sliders for track streams 0 to 7, each with "Ctr" (volume 1.0) and "0"
// (silence) under it, and "Center All" and "Mute All". A slider runs from 0
// at the top (loudest, volume 1.5) to 1500 (volume 0), with its tick at 500
// (volume 1.0). Volumes go to whatever plays the set: the editor's local
// player or the sound server.
class CMixerBoardView {
public:
    static constexpr int kSliderCount = 8;
    static constexpr int kBottom = 1500;
    static constexpr int kTick = 500;

    // trackCount: the set's audio tracks (the tempo track not counted).
    CMixerBoardView(SetAudio& audio, int32_t trackCount);

    // Places every slider from the volume that plays now (asked once more
    // when the first answer is -1); sliders without a track are silent and
    // disabled.
    void Open();
    int GetSliderPosition(int slider) const;
    bool IsSliderEnabled(int slider) const;
    double GetSliderVolume(int slider) const { return VolumeAt(GetSliderPosition(slider)); }

    // Positions outside the scale are taken as its nearest end; a disabled
    // slider does not move.
    void MoveSlider(int slider, int position);
    void Center(int slider) { MoveSlider(slider, kTick); }
    void Zero(int slider) { MoveSlider(slider, kBottom); }
    void CenterAll();
    void MuteAll();

    static int PositionOf(double volume);
    static double VolumeAt(int position);

private:
    bool IsSlider(int slider) const { return slider >= 0 && slider < kSliderCount; }

    SetAudio& m_audio;
    int32_t m_trackCount;
    std::array<int, kSliderCount> m_positions{};
};

}  // namespace vantor
