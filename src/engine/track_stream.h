#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/data_stream.h"
#include "engine/effect_entry_impl.h"
#include "engine/effect_manager_impl.h"
#include "engine/name_hash_table.h"
#include "engine/resampled_wave_file.h"
#include "model/ref_ptr.h"
#include "model/track.h"

namespace vantor {

class CMusicDatabase;

// Renders one track of a set: its segment events from resampled song
// sources, with the segments' normalization gain and effect envelopes and
// the track's constant effects. Silence where no event plays; never ends.
class CTrackStream : public IDataStream {
public:
    static constexpr uint32_t kRingBytes = 20480;
    static constexpr double kMaxNormalization = 3.8;

    // One processor made from a registered effect type; deleted with the info.
    class CProcessorInfo {
    public:
        explicit CProcessorInfo(IEffectProcessor* processor = nullptr) : m_processor(processor) {}
        virtual ~CProcessorInfo();
        CProcessorInfo(CProcessorInfo&& other) noexcept : m_processor(other.m_processor) { other.m_processor = nullptr; }
        CProcessorInfo& operator=(CProcessorInfo&& other) noexcept;
        IEffectProcessor* GetProcessor() const { return m_processor; }

    private:
        IEffectProcessor* m_processor;
    };

    // A track effect: one processor and a constant entry per parameter set.
    class CTrackProcessorInfo : public CProcessorInfo {
    public:
        CTrackProcessorInfo(std::string name, IEffectProcessor* processor)
            : CProcessorInfo(processor), m_name(std::move(name)) {}
        const std::string& GetName() const { return m_name; }
        bool HasParameter(const char* parameter) const;
        void AddEntry(const char* parameter, double value);
        std::vector<IEffectEntry*> Entries() const;

    private:
        std::string m_name;
        std::vector<std::unique_ptr<CEffectEntryConstImpl>> m_entries;
    };

    // The database finds songs by key; the effects manager gives the
    // processors. Either may be null (no songs, no effects).
    CTrackStream(CTrack* track, CEffectManagerImpl* effects, CMusicDatabase* database, int32_t blockAlign,
                 int32_t bitsPerSample, int32_t channels);
    ~CTrackStream() override;

    void SetPosition(uint32_t position, bool flush) override { Reposition(position, flush, true); }
    // Moves rendering to the set frame; flush empties the ring, reinitialise
    // clears the processors' state.
    void Reposition(uint32_t position, bool flush, bool reinitialise);
    void SetPriority(int32_t priority) override { SetThreadPriority(priority); }
    bool IsSuspended() const override { return false; }

    void SetVolume(double volume);
    double GetVolume() const { return m_volume.load(std::memory_order_relaxed); }
    void SetNormalizationEnabled(bool on) { m_normalization = on; }
    // Holds the new track, rebuilds its effects and renders it from the
    // current position.
    void ReplaceTrack(CTrack* track);
    // The processor of the track effect, adding the parameter (at its default
    // value) when missing; creates the effect when create is set. Null when
    // the effect is unknown or absent and not to be created.
    IEffectProcessor* AddTrackEffect(const char* effectName, const char* parameterName, bool create);
    uint32_t GetTrackPosition() const { return m_position.load(std::memory_order_relaxed); }

protected:
    uint32_t Generate(void* buffer, uint32_t bytes) override;

private:
    using Node = CTrack::Events::Node;

    void Locate(uint32_t position);
    void SetCurrent(Node* node);
    bool OpenSource();
    void BuildTrackEffects();
    void InitialiseProcessors(bool trackEffects);
    void ApplySegmentEffects(uint8_t* buffer, uint32_t bytes, uint32_t songPosition, double ratio);
    void ApplyTrackEffects(uint8_t* buffer, uint32_t bytes, uint32_t position);
    int16_t NormalizationFactor() const;
    static uint32_t EventEnd(const CEvent& event);

    RefPtr<CTrack> m_track;
    CEffectManagerImpl* m_effects;
    CMusicDatabase* m_database;
    int32_t m_blockAlign;
    int32_t m_bitsPerSample;
    int32_t m_channels;
    std::atomic<uint32_t> m_position{0};
    std::atomic<double> m_volume{1.0};
    std::atomic<bool> m_normalization{true};

    std::recursive_mutex m_renderLock;
    std::mutex m_trackEffectsLock;

    Node* m_currentNode = nullptr;
    RefPtr<CEvent> m_currentEvent;  // keeps the event (and its spans) alive
    std::vector<std::vector<EffectSpan>> m_spans;  // per effect profile of the current design
    std::vector<size_t> m_rememberedSpan;
    std::unique_ptr<CResampledWaveFile> m_source;

    NameHashTable<CProcessorInfo> m_segmentProcessors;
    std::vector<CTrackProcessorInfo> m_trackEffects;
};

}  // namespace vantor
