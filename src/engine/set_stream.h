#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/data_stream.h"
#include "engine/track_pass_reader.h"
#include "engine/track_stream.h"
#include "model/music_set.h"
#include "model/set_history.h"

namespace vantor {

// Renders a whole set: one track stream per audio track (the tempo track
// renders nothing), read in equal blocks and mixed with each track's fader
// volume and mute into one 16-bit stereo stream. Never ends by itself.
class CSetStream : public IDataStream {
public:
    static constexpr uint32_t kRingBytes = 20480;
    static constexpr uint32_t kPassBytes = 36864;
    // Pulled (a mixdown), a pass is one second of standard audio, and the
    // tracks are read on two threads, up to a pass ahead.
    static constexpr uint32_t kPulledPassBytes = 176400;

    CSetStream(CEffectManagerImpl* effects, CMusicDatabase* database, CMusicSet* set, bool largeBuffer);
    ~CSetStream() override;

    // Starts every track stream, then the mixer.
    bool StartStream() override;
    // Starts every track stream pulled, and the mixer pulled: Read renders
    // the tracks and mixes them on the reader's thread, with a helper thread
    // reading the last tracks of each pass.
    bool StartPulled() override;
    // Stops the mixer and empties its ring, then stops every track stream.
    void StopStream() override;
    void SetPosition(uint32_t frame, bool flush) override;
    // Freezes or releases every track stream; a pulled stream freezes its
    // own reads instead.
    void Lock(bool lock) override;
    bool IsLocked() const override;
    void SetPriority(int32_t priority) override;
    bool IsSuspended() const override { return false; }

    int32_t GetTrackCount() const { return static_cast<int32_t>(m_tracks.size()); }
    CTrackStream* GetTrackStream(int32_t index) const;
    bool IsTrackMuted(int32_t index) const;
    void MuteTrack(int32_t index);
    // The configuration's normalization switch, for every track stream.
    void SetNormalizationEnabled(bool on);
    void UnmuteTrack(int32_t index);
    void SetTrackVolume(int32_t index, double volume);
    double GetTrackVolume(int32_t index) const;
    uint32_t GetSetPosition() const { return m_position.load(std::memory_order_relaxed); }

    // Track stream i renders track i + 1 of the new set.
    void ReplaceSet(CMusicSet* set);
    // Replays the history onto the playing set and moves every track to the
    // current position, all while the mixer waits: rendering continues either
    // before or after the whole edit, never in between.
    void ApplyEdit(const CSetHistory& history);

protected:
    uint32_t Generate(void* buffer, uint32_t bytes) override;

private:
    // Mixes one pass into out; trackBlock(i) gives track i's block of it.
    template <class TrackBlock>
    void MixPass(uint8_t* out, uint32_t bytes, TrackBlock trackBlock);
    // Adds track i's block, its fader applied in place, to the mix; the
    // first track mixed is copied. Muted and silent tracks are skipped.
    void MixTrack(size_t index, int16_t* block, uint8_t* mix, size_t samples, bool& written);
    // Pulled: whole passes mixed from the pass reader; the part of a pass a
    // request does not take is kept for the next one.
    void GeneratePulled(uint8_t* out, uint32_t bytes);
    void StartPassReader();

    RefPtr<CMusicSet> m_set;
    std::vector<std::unique_ptr<CTrackStream>> m_tracks;
    std::unique_ptr<std::atomic<bool>[]> m_muted;
    std::atomic<uint32_t> m_position{0};
    std::recursive_mutex m_renderLock;
    std::vector<int16_t> m_scratch;
    // While pulled: the reader, and the mixed pass a request left a part of.
    std::unique_ptr<CTrackPassReader> m_passReader;
    std::vector<uint8_t> m_pulledPass;
    uint32_t m_pulledOffset = 0;
    uint32_t m_pulledValid = 0;
};

// A block counts as silent only when every sample in it is zero.
bool IsSilentBlock(const int16_t* samples, size_t count);

}  // namespace vantor
