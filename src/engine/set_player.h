#pragma once

#include <memory>

#include "engine/set_stream.h"
#include "engine/stream_audio_output.h"

namespace vantor {

// Plays one set: a set stream and the audio output it feeds. The facade
// through which set views and the sound server play, pause, loop, seek, set
// track volumes and mutes, and apply edits while the set plays.
class CSetPlayer {
public:
    explicit CSetPlayer(AudioDeviceOpener opener = OpenAudioDevice) : m_opener(std::move(opener)) {}
    ~CSetPlayer() { Close(); }
    CSetPlayer(const CSetPlayer&) = delete;
    CSetPlayer& operator=(const CSetPlayer&) = delete;

    // Builds the stream and the output for the set and opens the device; the
    // format comes from the set. False when the device cannot be had.
    bool Open(CEffectManagerImpl* effects, CMusicDatabase* database, CMusicSet* set, const DeviceId* device,
              bool largeBuffer, int32_t cooperativeLevel, uint32_t bufferFlags);
    void Close();
    bool IsOpen() const { return m_output != nullptr; }

    bool Play();
    void Stop();
    // Silence on the output, then every track stream frozen.
    void Pause();
    void Resume();
    void SetPosition(uint32_t frame);
    uint32_t GetPlayPosition() const;
    void SetLoop(uint32_t startFrame, uint32_t endFrame);
    void SetEndPosition(uint32_t frame);
    void SetNotifyWindow(MessageQueue* window);
    void SetPriority(int32_t priority);

    bool IsTrackMuted(int32_t index) const;
    void MuteTrack(int32_t index);
    void UnmuteTrack(int32_t index);
    void SetTrackVolume(int32_t index, double volume);
    double GetTrackVolume(int32_t index) const;
    int32_t GetTrackCount() const;
    CSetStream* GetSetStream() const { return m_stream.get(); }
    CStreamAudioOutput* GetOutput() const { return m_output.get(); }

    void ReplaceSet(CMusicSet* set);
    void ApplyEdit(const CSetHistory& history);

private:
    AudioDeviceOpener m_opener;
    RefPtr<CMusicSet> m_set;
    std::unique_ptr<CSetStream> m_stream;
    std::unique_ptr<CStreamAudioOutput> m_output;
};

// The frame after which no event of the set sounds any more.
uint32_t SetEndFrame(const CMusicSet& set);

}  // namespace vantor
