#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "control/midi_binding_map.h"
#include "model/fixed_text.h"
#include "vantor/effect_api.h"

namespace vantor {

class CSetStream;

// A controller that rides one parameter of an effect on a set track.
struct TrackEffectBinding {
    static constexpr int32_t kTextBytes = 255;
    static constexpr int32_t kRecordBytes = 12 + 2 * (4 + kTextBytes);
    int32_t channel = 0;
    int32_t controller = 0;
    int32_t track = 1;  // from 1
    FixedText<kTextBytes> effect;
    FixedText<kTextBytes> parameter;

    bool SameControl(const TrackEffectBinding& other) const {
        return channel == other.channel && controller == other.controller;
    }
    std::string Description() const;
    void Write(CMemoryOStream& out) const;
    bool Read(CMemoryIStream& in);
};

// The track effect bindings. While a set plays, AttachPlayer resolves each
// binding to the effect processor of its track (creating the effect there);
// a controller value reaches the processor scaled over 0 to 127. Outside
// that time, and for tracks the set does not have, values do nothing.
class CTrackEffectMap final : public CMIDIBindingMap<TrackEffectBinding> {
public:
    static constexpr int kLevelRange = 127;

    CTrackEffectMap() = default;
    ~CTrackEffectMap() override { SetInput(nullptr); }

    void Add(int32_t channel, int32_t controller, int32_t track, const std::string& effect,
             const std::string& parameter);
    bool Remove(int32_t channel, int32_t controller);

    // The stream must outlive the attachment: DetachPlayer before it goes.
    void AttachPlayer(CSetStream* stream);
    void DetachPlayer();
    // How many bindings have a processor.
    int32_t GetResolvedCount() const;

    void OnControlValue(int32_t value, uint32_t key) override;

protected:
    void Changed() override;

private:
    void ResolveLocked();

    CSetStream* m_stream = nullptr;
    std::unordered_map<uint32_t, IEffectProcessor*> m_processors;  // by binding id
};

}  // namespace vantor
